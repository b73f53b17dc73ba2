#include "window/shadow_render.h"

#include <atomic>

ShadowCanvas::~ShadowCanvas() {
    if (dc_ && previous_) SelectObject(dc_, previous_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
}

bool ShadowCanvas::Create(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // positive: rows stored bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap_ || !bits) return false;
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) return false;
    previous_ = SelectObject(dc_, bitmap_);
    pixels_ = static_cast<std::uint32_t*>(bits);
    width_ = width;
    height_ = height;
    return true;
}

namespace {

// The pixels the owner covers, in shadow-bitmap coordinates: its window
// region if it has one, else its whole rectangle.
HRGN OwnerCutOut(HWND owner, int ownerWidth, int ownerHeight, int margin, const ShadowInfo& info) {
    HRGN region = CreateRectRgn(0, 0, ownerWidth, ownerHeight);
    GetWindowRgn(owner, region);
    OffsetRgn(region, margin - info.offsetX, margin - info.offsetY);
    return region;
}

}  // namespace

bool PaintOwnerShadow(HWND owner, ShadowInfo& info, ShadowCanvas& canvas, POINT& position) {
    RECT rect;
    if (!GetWindowRect(owner, &rect) || rect.left > rect.right || rect.top > rect.bottom) return false;
    const int margin = ShadowMargin(info.size);
    if (!(info.size >= 1.0f)) info.size = 1.0f;
    const int ow = rect.right - rect.left, oh = rect.bottom - rect.top;
    const ShadowBitmapSize size = ShadowBitmapSizeFor(ow, oh, margin);
    if (!canvas.Create(size.width, size.height)) return false;

    RenderShadowPixels(ow, oh, margin, static_cast<float>(margin), info.colour, canvas.pixels());
    HRGN cutOut = OwnerCutOut(owner, ow, oh, margin, info);
    SelectClipRgn(canvas.dc(), cutOut);
    RECT all = {0, 0, size.width, size.height};
    FillRect(canvas.dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectClipRgn(canvas.dc(), nullptr);
    DeleteObject(cutOut);
    GdiFlush();  // the pixels are read directly after GDI has drawn into them

    position = {rect.left + info.offsetX - margin, rect.top + info.offsetY - margin};
    return true;
}
