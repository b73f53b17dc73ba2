// GIF through giflib: every frame composed onto the logical screen as its
// disposal method says, so each frame is a complete picture.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>

#include "controls/picture.h"

namespace {

struct MemoryReader {
    const Bytes& bytes;
    std::size_t at = 0;
};

int ReadFromMemory(GifFileType* file, GifByteType* buffer, int size) {
    auto* reader = static_cast<MemoryReader*>(file->UserData);
    int count = static_cast<int>(std::min<std::size_t>(size, reader->bytes.size() - reader->at));
    std::memcpy(buffer, reader->bytes.data() + reader->at, count);
    reader->at += count;
    return count;
}

void ComposeFrame(const GifFileType* file, int index, PixelImage& canvas) {
    const SavedImage& frame = file->SavedImages[index];
    GraphicsControlBlock control = {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    DGifSavedExtensionToGCB(const_cast<GifFileType*>(file), index, &control);
    const ColorMapObject* colors = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : file->SColorMap;
    if (!colors) return;
    const GifImageDesc& desc = frame.ImageDesc;
    for (int y = 0; y < desc.Height; ++y) {
        for (int x = 0; x < desc.Width; ++x) {
            int cx = desc.Left + x, cy = desc.Top + y;
            if (cx < 0 || cy < 0 || cx >= canvas.width || cy >= canvas.height) continue;
            int color = frame.RasterBits[static_cast<std::size_t>(y) * desc.Width + x];
            if (color == control.TransparentColor || color >= colors->ColorCount) continue;
            const GifColorType& c = colors->Colors[color];
            canvas.pixels[static_cast<std::size_t>(cy) * canvas.width + cx] =
                0xFF000000u | c.Red << 16 | c.Green << 8 | c.Blue;
        }
    }
}

void Dispose(const GifFileType* file, int index, PixelImage& canvas, const PixelImage& before) {
    GraphicsControlBlock control = {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    DGifSavedExtensionToGCB(const_cast<GifFileType*>(file), index, &control);
    const GifImageDesc& desc = file->SavedImages[index].ImageDesc;
    if (control.DisposalMode == DISPOSE_PREVIOUS) canvas = before;
    if (control.DisposalMode != DISPOSE_BACKGROUND) return;
    for (int y = std::max(0, desc.Top); y < std::min(canvas.height, desc.Top + desc.Height); ++y)
        for (int x = std::max(0, desc.Left); x < std::min(canvas.width, desc.Left + desc.Width); ++x)
            canvas.pixels[static_cast<std::size_t>(y) * canvas.width + x] = 0;
}

}  // namespace

Picture DecodeGif(const Bytes& bytes) {
    MemoryReader reader{bytes};
    int error = 0;
    GifFileType* file = DGifOpen(&reader, ReadFromMemory, &error);
    if (!file) return {};
    Picture picture;
    if (DGifSlurp(file) == GIF_OK && file->ImageCount > 0 && file->SWidth > 0 && file->SHeight > 0 &&
        file->SWidth <= 16384 && file->SHeight <= 16384) {
        picture.width = file->SWidth, picture.height = file->SHeight;
        PixelImage canvas{picture.width, picture.height, {}};
        canvas.pixels.assign(static_cast<std::size_t>(picture.width) * picture.height, 0);
        for (int i = 0; i < file->ImageCount; ++i) {
            PixelImage before = canvas;
            ComposeFrame(file, i, canvas);
            picture.frames.push_back(canvas);
            GraphicsControlBlock control = {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
            DGifSavedExtensionToGCB(file, i, &control);
            // Browsers treat delays under 20 ms as 100 ms; so does this.
            picture.delays.push_back(control.DelayTime < 2 ? 100 : control.DelayTime * 10);
            Dispose(file, i, canvas, before);
        }
    }
    DGifCloseFile(file, &error);
    return picture;
}
