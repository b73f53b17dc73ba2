// BMP and ICO through the system: the bitmap's own DIB header is handed to
// GDI, the icon to the icon functions, and the pixels read back as 32-bit.
#include <windows.h>

#include <cstring>

#include "controls/mouse_pointer.h"
#include "controls/picture.h"
#include "controls/picture_view.h"

namespace {

// Draws through `draw` into a top-down 32-bit DIB section and returns it.
template <class Draw>
PixelImage RenderToPixels(int width, int height, Draw draw) {
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return {};
    BITMAPINFO info = {};
    info.bmiHeader = TopDownHeader(width, height);
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    GdiObject bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    PixelImage image;
    if (bitmap && bits) {
        HGDIOBJ previous = SelectObject(dc, bitmap.get());
        std::memset(bits, 0, static_cast<std::size_t>(width) * height * 4);
        if (draw(dc)) {
            GdiFlush();
            image.width = width, image.height = height;
            auto* pixels = static_cast<std::uint32_t*>(bits);
            image.pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height);
        }
        SelectObject(dc, previous);
    }
    DeleteDC(dc);
    return image;
}

}  // namespace

PixelImage DecodeBitmapFile(const Bytes& bytes) {
    if (bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) return {};
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER header;
    std::memcpy(&file, bytes.data(), sizeof file);
    std::memcpy(&header, bytes.data() + sizeof file, sizeof header);
    if (file.bfOffBits >= bytes.size() || header.biSize < sizeof header || header.biWidth <= 0 ||
        header.biHeight == 0 || header.biHeight == INT32_MIN)
        return {};
    // The header, its colour table and the pixel data must be all there
    // before GDI reads them.
    int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    std::uint64_t stride = ((static_cast<std::uint64_t>(header.biWidth) * header.biBitCount + 31) / 32) * 4;
    std::uint64_t colours = header.biClrUsed ? header.biClrUsed : header.biBitCount <= 8 ? 1u << header.biBitCount : 0;
    std::uint64_t tableEnd = sizeof file + static_cast<std::uint64_t>(header.biSize) + colours * 4 +
                             (header.biCompression == BI_BITFIELDS ? 12 : 0);
    std::uint64_t pixelBytes = 0;
    switch (header.biCompression) {
        case BI_RGB:
        case BI_BITFIELDS: pixelBytes = stride * height; break;
        case BI_RLE8:
        case BI_RLE4: pixelBytes = header.biSizeImage; break;
        default: return {};  // JPEG or PNG inside a bitmap: not taken
    }
    if (tableEnd > file.bfOffBits || pixelBytes == 0 || pixelBytes > bytes.size() - file.bfOffBits) return {};
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes.data() + sizeof file);
    const void* pixels = bytes.data() + file.bfOffBits;
    PixelImage image = RenderToPixels(header.biWidth, height, [&](HDC dc) {
        return SetDIBitsToDevice(dc, 0, 0, header.biWidth, height, 0, 0, 0, height, pixels, info, DIB_RGB_COLORS) > 0;
    });
    for (std::uint32_t& pixel : image.pixels) pixel |= 0xFF000000u;  // a bitmap is opaque
    return image;
}

PixelImage DecodeIconFile(const Bytes& bytes) {
    // The largest entry: icons are pictures here, drawn at their own size.
    int size = bytes.size() >= 7 ? (bytes[6] ? bytes[6] : 256) : 0;
    IconHandle icon = IconFromBytes(bytes, size);
    if (!icon) return {};
    ICONINFO info = {};
    if (!GetIconInfo(icon.get(), &info)) return {};
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    int width = bitmap.bmWidth, height = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
    // Drawn once on black and once on white: alpha is where they differ.
    PixelImage onBlack = RenderToPixels(width, height, [&](HDC dc) {
        return DrawIconEx(dc, 0, 0, icon.get(), width, height, 0, nullptr, DI_NORMAL) != 0;
    });
    PixelImage onWhite = RenderToPixels(width, height, [&](HDC dc) {
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return DrawIconEx(dc, 0, 0, icon.get(), width, height, 0, nullptr, DI_NORMAL) != 0;
    });
    if (onBlack.empty() || onWhite.empty()) return {};
    for (std::size_t i = 0; i < onBlack.pixels.size(); ++i) {
        std::uint32_t black = onBlack.pixels[i], white = onWhite.pixels[i];
        int alpha = 255 - static_cast<int>((white >> 8 & 0xFF) - (black >> 8 & 0xFF));
        alpha = alpha < 0 ? 0 : alpha > 255 ? 255 : alpha;
        std::uint32_t pixel = 0;
        if (alpha > 0) {
            for (int shift = 0; shift < 24; shift += 8) {
                int channel = static_cast<int>(black >> shift & 0xFF) * 255 / alpha;
                pixel |= static_cast<std::uint32_t>(channel > 255 ? 255 : channel) << shift;
            }
            pixel |= static_cast<std::uint32_t>(alpha) << 24;
        }
        onBlack.pixels[i] = pixel;
    }
    return onBlack;
}
