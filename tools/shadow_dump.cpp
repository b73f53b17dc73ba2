// shadow-dump WIDTH HEIGHT SIZE OFFSETX OFFSETY COLOUR
// Writes the finished shadow bitmap of a rectangular WIDTH x HEIGHT owner to
// standard output: 32-bit little-endian 0xAARRGGBB pixels, top row first,
// (WIDTH + 2c) x (HEIGHT + 2c) of them, c the whole-pixel margin of SIZE.
// COLOUR is written 0xAARRGGBB.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "window/core/shadow_pixels.h"

namespace {

bool ParseInt(const char* text, long low, long high, int& out) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (errno || end == text || *end || value < low || value > high) return false;
    out = static_cast<int>(value);
    return true;
}

bool ParseFloat(const char* text, float& out) {
    char* end = nullptr;
    errno = 0;
    float value = std::strtof(text, &end);
    if (errno || end == text || *end || !(value >= 0.0f && value <= 4096.0f)) return false;
    out = value;
    return true;
}

bool ParseColour(const char* text, std::uint32_t& out) {
    char* end = nullptr;
    errno = 0;
    unsigned long long value = std::strtoull(text, &end, 16);
    if (errno || end == text || *end || value > 0xFFFFFFFFull) return false;
    out = static_cast<std::uint32_t>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int width = 0, height = 0, offsetX = 0, offsetY = 0;
    float size = 0;
    std::uint32_t colour = 0;
    if (argc != 7 || !ParseInt(argv[1], 0, 16384, width) || !ParseInt(argv[2], 0, 16384, height) ||
        !ParseFloat(argv[3], size) || !ParseInt(argv[4], -4096, 4096, offsetX) ||
        !ParseInt(argv[5], -4096, 4096, offsetY) || !ParseColour(argv[6], colour)) {
        std::fprintf(stderr, "usage: shadow-dump WIDTH HEIGHT SIZE OFFSETX OFFSETY 0xAARRGGBB\n");
        return 2;
    }
    std::vector<std::uint32_t> pixels = RenderRectangularShadow(width, height, size, offsetX, offsetY, colour);
    std::vector<unsigned char> bytes(pixels.size() * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        for (int b = 0; b < 4; ++b) bytes[i * 4 + b] = static_cast<unsigned char>(pixels[i] >> (8 * b));
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) return 1;
    return std::fflush(stdout) == 0 ? 0 : 1;
}
