#include "controls/picture_view.h"

#include "frame/core/layout.h"

void PictureView::Set(const Bytes& bytes) {
    picture_ = Picture();
    undecoded_ = Undecoded{bytes, std::nullopt};
    rendered_ = Rendered();
}

void PictureView::Set(const Bytes& bytes, std::int32_t transparent) {
    Set(bytes);
    undecoded_->transparent = transparent;
}

const Picture& PictureView::Decoded() const {
    if (!undecoded_) return picture_;
    Undecoded undecoded = std::move(*undecoded_);
    undecoded_.reset();
    picture_ = DecodePicture(undecoded.bytes);
    if (picture_.empty() || !undecoded.transparent) return picture_;
    std::uint32_t color = static_cast<std::uint32_t>(*undecoded.transparent);
    if (*undecoded.transparent == kDefaultColor) {
        std::uint32_t corner = picture_.frames[0].at(0, 0);
        color = (corner >> 16 & 0xFF) | (corner & 0xFF00) | (corner & 0xFF) << 16;
    }
    for (PixelImage& frame : picture_.frames) ClearTransparentColor(frame, color & 0xFFFFFF);
    return picture_;
}

void PictureView::SetImage(PixelImage image) {
    picture_ = Picture();
    undecoded_.reset();
    rendered_ = Rendered();
    if (image.empty()) return;
    picture_.width = image.width, picture_.height = image.height;
    picture_.frames.push_back(std::move(image));
    picture_.delays.push_back(0);
}

void PictureView::Draw(HDC dc, const Placement& at, COLORREF background, int frame) {
    if (Decoded().empty() || at.width <= 0 || at.height <= 0) return;
    frame = frame < 0 || frame >= frameCount() ? 0 : frame;
    if (rendered_.frame != frame || rendered_.width != at.width || rendered_.height != at.height ||
        rendered_.background != background) {
        const PixelImage& source = picture_.frames[frame];
        rendered_.image =
            at.width == source.width && at.height == source.height ? source : ScaleImage(source, at.width, at.height);
        BlendOverColor(rendered_.image, background);
        rendered_.frame = frame, rendered_.width = at.width, rendered_.height = at.height;
        rendered_.background = background;
    }
    DrawPixels(dc, at.left, at.top, rendered_.image);
}

void DrawPixels(HDC dc, int left, int top, const PixelImage& image) {
    if (image.empty()) return;
    BITMAPINFO info = {};
    info.bmiHeader = TopDownHeader(image.width, image.height);
    SetDIBitsToDevice(dc, left, top, image.width, image.height, 0, 0, 0, image.height, image.pixels.data(), &info,
                      DIB_RGB_COLORS);
}

BITMAPINFOHEADER TopDownHeader(int width, int height) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    return header;
}
