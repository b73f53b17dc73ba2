#pragma once
// Pictures of the controls, decoded from the bytes the layout holds: PNG
// (libpng), JPEG (libjpeg), GIF (giflib, every frame with its delay), BMP
// and ICO (through the system). Frames are full-size, straight alpha.
#include "controls/core/pixels.h"
#include "services/core/values.h"

struct Picture {
    int width = 0, height = 0;
    std::vector<PixelImage> frames;
    std::vector<int> delays;  // milliseconds, one per frame
    bool empty() const { return frames.empty(); }
};

// Empty for bytes of no known format or a damaged file.
Picture DecodePicture(const Bytes& bytes);

PixelImage DecodePng(const Bytes& bytes);
PixelImage DecodeJpeg(const Bytes& bytes);
Picture DecodeGif(const Bytes& bytes);
PixelImage DecodeBitmapFile(const Bytes& bytes);
PixelImage DecodeIconFile(const Bytes& bytes);
