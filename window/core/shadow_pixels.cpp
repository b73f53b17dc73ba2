#include "window/core/shadow_pixels.h"

#include <algorithm>
#include <cmath>

float ShadowErf(float x) {
    if (x < -1e-7f) return -ShadowErf(-x);
    if (x <= 1e-7f) return 0.0f;
    float t = 1.0f / (1.0f + 0.3275911f * x);
    float polynomial =
        t * (0.254829592f + t * (-0.284496736f + t * (1.421413741f + t * (-1.453152027f + t * 1.061405429f))));
    return 1.0f - polynomial * std::exp(-x * x);
}

int ShadowMargin(float size) {
    if (!(size >= 1.0f)) return 1;  // also NaN
    if (size >= 65536.0f) return 65536;
    return static_cast<int>(size);
}

namespace {

// Cumulative Gaussian table: entry j is Phi((j + 1.5 - margin - extent) / sigma).
void FillCumulative(float* table, int entries, int margin, int extent, float divisor) {
    float t = 0.5f - static_cast<float>(margin) - static_cast<float>(extent);
    for (int i = 0; i < entries; ++i) {
        t += 1.0f;
        table[i] = (1.0f + ShadowErf(t / divisor)) / 2.0f;
    }
}

// One span of a row: the colour scaled by the row's and each column's coverage.
void ShadeSpan(std::uint32_t* out, const float* columnCoverage, int from, int to, float rowCoverage, float r, float g,
               float b, float a) {
    for (int x = from; x < to; ++x) {
        float v = columnCoverage[x] * rowCoverage;
        out[x] = MakeArgb(static_cast<int>(r * v), static_cast<int>(g * v), static_cast<int>(b * v),
                          static_cast<int>(a * v));
    }
}

}  // namespace

void RenderShadowPixels(int ownerWidth, int ownerHeight, int margin, float blur, std::uint32_t colour,
                        std::uint32_t* pixels) {
    const int ow = ownerWidth, oh = ownerHeight, c = margin;
    const ShadowBitmapSize size = ShadowBitmapSizeFor(ow, oh, c);
    const int W = size.width, H = size.height;
    const float divisor = blur * 0.5316457492366224f;

    std::vector<float> tables(static_cast<std::size_t>(W + H + ow + oh), 0.0f);
    float* tx = tables.data();
    float* ty = tx + (W + ow);
    FillCumulative(tx, W + ow, c, ow, divisor);
    FillCumulative(ty, H + oh, c, oh, divisor);

    // The table differences are computed once per column and once per row, so
    // each pixel costs one product and the packing.
    std::vector<float> columnCoverage(static_cast<std::size_t>(W));
    for (int x = 0; x < W; ++x) columnCoverage[x] = tx[x + ow] - tx[x];

    const float r = static_cast<float>((colour >> 16) & 0xFF), g = static_cast<float>((colour >> 8) & 0xFF),
                b = static_cast<float>(colour & 0xFF), a = static_cast<float>((colour >> 24) & 0xFF);
    const int innerLeft = 2 * c, innerRight = std::max(W - 2 * c, innerLeft);
    for (int y = 0; y < H; ++y) {
        std::uint32_t* row = pixels + static_cast<std::size_t>(H - 1 - y) * W;
        float rowCoverage = ty[y + oh] - ty[y];
        bool innerRow = y >= 2 * c && y < H - 2 * c && innerRight > innerLeft;
        if (!innerRow) {
            ShadeSpan(row, columnCoverage.data(), 0, W, rowCoverage, r, g, b, a);
            continue;
        }
        ShadeSpan(row, columnCoverage.data(), 0, innerLeft, rowCoverage, r, g, b, a);
        std::fill(row + innerLeft, row + innerRight, colour);
        ShadeSpan(row, columnCoverage.data(), innerRight, W, rowCoverage, r, g, b, a);
    }
}

void ClearShadowRectangle(std::uint32_t* pixels, ShadowBitmapSize size, int left, int top, int right, int bottom) {
    left = std::clamp(left, 0, size.width);
    right = std::clamp(right, 0, size.width);
    top = std::clamp(top, 0, size.height);
    bottom = std::clamp(bottom, 0, size.height);
    for (int y = top; y < bottom; ++y) {
        std::uint32_t* row = pixels + static_cast<std::size_t>(size.height - 1 - y) * size.width;
        std::fill(row + left, row + std::max(left, right), 0u);
    }
}

std::vector<std::uint32_t> RenderRectangularShadow(int ownerWidth, int ownerHeight, float size, int offsetX,
                                                   int offsetY, std::uint32_t colour) {
    const int c = ShadowMargin(size);
    const ShadowBitmapSize bitmap = ShadowBitmapSizeFor(ownerWidth, ownerHeight, c);
    std::vector<std::uint32_t> bottomUp(static_cast<std::size_t>(bitmap.width) * bitmap.height);
    RenderShadowPixels(ownerWidth, ownerHeight, c, static_cast<float>(c), colour, bottomUp.data());
    ClearShadowRectangle(bottomUp.data(), bitmap, c - offsetX, c - offsetY, c - offsetX + ownerWidth,
                         c - offsetY + ownerHeight);
    std::vector<std::uint32_t> topDown(bottomUp.size());
    for (int y = 0; y < bitmap.height; ++y)
        std::copy_n(bottomUp.begin() + static_cast<std::ptrdiff_t>(bitmap.height - 1 - y) * bitmap.width, bitmap.width,
                    topDown.begin() + static_cast<std::ptrdiff_t>(y) * bitmap.width);
    return topDown;
}
