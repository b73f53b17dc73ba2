#pragma once
// A decoded picture ready to draw: scaled to where it goes and blended over
// the control's background colour, with the last result kept so a repaint
// at the same size costs one copy.
#include <windows.h>

#include <optional>

#include "controls/picture.h"

class PictureView {
public:
    // Keeps `bytes`, decoded when the picture is first needed (a control of
    // a window never shown costs no decoding); an undecodable picture draws
    // nothing.
    void Set(const Bytes& bytes);
    // Pixels of colour `transparent` (a Windows colour value; the stored
    // default means the top-left pixel's colour) become transparent.
    void Set(const Bytes& bytes, std::int32_t transparent);

    // A picture made by the program (one frame).
    void SetImage(PixelImage image);

    bool empty() const { return Decoded().empty(); }
    int width() const { return Decoded().width; }
    int height() const { return Decoded().height; }
    int frameCount() const { return static_cast<int>(Decoded().frames.size()); }
    int delay(int frame) const { return Decoded().delays[frame]; }
    const PixelImage& frame(int index) const { return Decoded().frames[index]; }

    void Draw(HDC dc, const Placement& at, COLORREF background, int frame = 0);

private:
    const Picture& Decoded() const;

    struct Undecoded {
        Bytes bytes;
        std::optional<std::int32_t> transparent;
    };
    mutable std::optional<Undecoded> undecoded_;
    mutable Picture picture_;
    struct Rendered {
        int frame = -1, width = 0, height = 0;
        COLORREF background = 0;
        PixelImage image;
    } rendered_;
};

// The header of a top-down 32-bit DIB.
BITMAPINFOHEADER TopDownHeader(int width, int height);

// Copies opaque pixels to `dc` at (left, top).
void DrawPixels(HDC dc, int left, int top, const PixelImage& image);
