#include "controls/core/pixels.h"

#include <algorithm>
#include <cmath>

Placement PlacePicture(int mode, int pw, int ph, int cw, int ch) {
    if (mode <= 0) return {0, 0, pw, ph};
    if (mode == 1) return {0, 0, cw, ch};
    if (pw > cw || ph > ch) {
        double factor = std::min(static_cast<double>(cw) / pw, static_cast<double>(ch) / ph);
        // Truncated, but not below an exact fit: 1429 x (1008 / 1429) is
        // 1007.99999... in floating point and must still fill 1008 pixels.
        constexpr double kRounding = 1e-9;
        int width = static_cast<int>(pw * factor + kRounding), height = static_cast<int>(ph * factor + kRounding);
        return {(cw - width) / 2, (ch - height) / 2, width, height};
    }
    return {(cw - pw) / 2, (ch - ph) / 2, pw, ph};
}

namespace {

// For one output coordinate, the source range [begin, end) it covers and the
// weight of the first and last source pixel (fractional coverage).
struct Span {
    int first, last;
    double firstWeight, lastWeight;
};

std::vector<Span> Spans(int sourceSize, int targetSize) {
    std::vector<Span> spans(targetSize);
    double scale = static_cast<double>(sourceSize) / targetSize;
    for (int i = 0; i < targetSize; ++i) {
        double begin = i * scale, end = (i + 1) * scale;
        if (scale < 1) {  // enlarging: the nearest source pixel, no blur
            int nearest = std::min(sourceSize - 1, static_cast<int>((i + 0.5) * scale));
            spans[i] = {nearest, nearest, 1, 1};
            continue;
        }
        int first = static_cast<int>(begin), last = std::min(sourceSize - 1, static_cast<int>(std::ceil(end)) - 1);
        spans[i] = {first, last, first + 1 - begin, end - last};
        if (first == last) spans[i].firstWeight = end - begin;
    }
    return spans;
}

double Weight(const Span& span, int at) {
    if (at == span.first) return span.firstWeight;
    if (at == span.last) return span.lastWeight;
    return 1;
}

}  // namespace

PixelImage ScaleImage(const PixelImage& source, int width, int height) {
    PixelImage target{std::max(width, 1), std::max(height, 1), {}};
    if (source.empty()) return target;
    target.pixels.assign(static_cast<std::size_t>(target.width) * target.height, 0);
    std::vector<Span> columns = Spans(source.width, target.width), rows = Spans(source.height, target.height);
    // Horizontal pass into premultiplied doubles, then vertical.
    std::vector<double> horizontal(static_cast<std::size_t>(target.width) * source.height * 4);
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < target.width; ++x) {
            double sum[4] = {0, 0, 0, 0}, total = 0;
            for (int sx = columns[x].first; sx <= columns[x].last; ++sx) {
                double w = Weight(columns[x], sx);
                std::uint32_t p = source.at(sx, y);
                double a = (p >> 24) / 255.0 * w;
                sum[0] += a;
                sum[1] += (p >> 16 & 0xFF) * a;
                sum[2] += (p >> 8 & 0xFF) * a;
                sum[3] += (p & 0xFF) * a;
                total += w;
            }
            double* out = &horizontal[(static_cast<std::size_t>(y) * target.width + x) * 4];
            for (int c = 0; c < 4; ++c) out[c] = sum[c] / total;
        }
    }
    for (int y = 0; y < target.height; ++y) {
        for (int x = 0; x < target.width; ++x) {
            double sum[4] = {0, 0, 0, 0}, total = 0;
            for (int sy = rows[y].first; sy <= rows[y].last; ++sy) {
                double w = Weight(rows[y], sy);
                const double* in = &horizontal[(static_cast<std::size_t>(sy) * target.width + x) * 4];
                for (int c = 0; c < 4; ++c) sum[c] += in[c] * w;
                total += w;
            }
            double alpha = sum[0] / total;
            std::uint32_t pixel = 0;
            if (alpha > 0) {
                auto channel = [&](double premultiplied) {
                    return static_cast<std::uint32_t>(std::clamp(std::lround(premultiplied / total / alpha), 0L, 255L));
                };
                pixel = static_cast<std::uint32_t>(std::lround(alpha * 255)) << 24 | channel(sum[1]) << 16 |
                        channel(sum[2]) << 8 | channel(sum[3]);
            }
            target.pixels[static_cast<std::size_t>(y) * target.width + x] = pixel;
        }
    }
    return target;
}

void BlendOverColor(PixelImage& image, std::uint32_t color) {
    std::uint32_t background = PixelFromColor(color);
    for (std::uint32_t& pixel : image.pixels) {
        std::uint32_t alpha = pixel >> 24, result = 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) {
            std::uint32_t over = pixel >> shift & 0xFF, under = background >> shift & 0xFF;
            result |= ((over * alpha + under * (255 - alpha) + 127) / 255) << shift;
        }
        pixel = result;
    }
}

void ClearTransparentColor(PixelImage& image, std::uint32_t color) {
    std::uint32_t rgb = PixelFromColor(color) & 0xFFFFFF;
    for (std::uint32_t& pixel : image.pixels)
        if ((pixel & 0xFFFFFF) == rgb) pixel = 0;
}

PixelImage DisabledImage(const PixelImage& image) {
    PixelImage result = image;
    for (std::uint32_t& pixel : result.pixels) {
        std::uint32_t r = pixel >> 16 & 0xFF, g = pixel >> 8 & 0xFF, b = pixel & 0xFF;
        std::uint32_t grey = (r * 77 + g * 150 + b * 29) >> 8;
        grey = (grey + 2 * 192) / 3;  // lightened: the disabled look of the system's own pictures
        pixel = (pixel & 0xFF000000u) | grey << 16 | grey << 8 | grey;
    }
    return result;
}
