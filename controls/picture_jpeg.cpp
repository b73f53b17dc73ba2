// JPEG through libjpeg; a decoding error leaves by longjmp to the one place
// that frees the decoder (no C++ object lives across it).
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "controls/picture.h"

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
};

void OnError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1); }
void Quiet(j_common_ptr) {}

bool Decode(const Bytes& bytes, PixelImage& result, std::vector<std::uint8_t>& row) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnError;
    errors.base.output_message = Quiet;
    if (setjmp(errors.escape)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_width > 16384 || info.output_height > 16384 || info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    result.width = static_cast<int>(info.output_width), result.height = static_cast<int>(info.output_height);
    result.pixels.resize(static_cast<std::size_t>(result.width) * result.height);
    row.resize(static_cast<std::size_t>(result.width) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {row.data()};
        std::size_t y = info.output_scanline;
        jpeg_read_scanlines(&info, rows, 1);
        for (int x = 0; x < result.width; ++x)
            result.pixels[y * result.width + x] = 0xFF000000u | row[3 * x] << 16 | row[3 * x + 1] << 8 | row[3 * x + 2];
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

PixelImage DecodeJpeg(const Bytes& bytes) {
    PixelImage result;
    std::vector<std::uint8_t> row;
    if (!Decode(bytes, result, row)) return {};
    return result;
}
