// PNG through libpng's simplified reader: any colour type, bit depth and
// interlacing comes out as 8-bit BGRA.
#include <png.h>

#include "controls/picture.h"

PixelImage DecodePng(const Bytes& bytes) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return {};
    image.format = PNG_FORMAT_BGRA;
    // Refuse sizes whose pixels would not fit in memory before asking for them.
    if (image.width == 0 || image.height == 0 || image.width > 16384 || image.height > 16384) {
        png_image_free(&image);
        return {};
    }
    PixelImage result{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    result.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, result.pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return {};
    }
    return result;
}
