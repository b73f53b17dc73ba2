#include "window/core/shadow_pixels.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Pixel {
    int x, y;
    std::uint32_t expected;
};

std::uint32_t At(const std::vector<std::uint32_t>& topDown, int width, int x, int y) {
    return topDown[static_cast<std::size_t>(y) * width + x];
}

TEST(ShadowPixels, WorkedExampleOfA100PixelOwner) {
    auto pixels = RenderRectangularShadow(100, 100, 30.0f, 1, 1, 0x32000000);
    ASSERT_EQ(pixels.size(), 160u * 160u);
    const Pixel cases[] = {
        {80, 0, 0},  {80, 20, 0x0B000000}, {80, 28, 0x18000000}, {131, 80, 0x14000000}, {140, 80, 0x07000000},
        {80, 80, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(At(pixels, 160, c.x, c.y), c.expected) << c.x << "," << c.y;
    auto glow = RenderRectangularShadow(100, 100, 30.0f, 1, 1, 0x32FAC85D);
    EXPECT_EQ(At(glow, 160, 80, 20), 0x0B382D14u);
}

TEST(ShadowPixels, TheOwnersAreaIsFullyTransparent) {
    // Owner covers columns and rows 29 to 128 (margin 30, offsets 1).
    auto pixels = RenderRectangularShadow(100, 100, 30.0f, 1, 1, 0x32000000);
    for (int y = 29; y <= 128; ++y)
        for (int x = 29; x <= 128; ++x) ASSERT_EQ(At(pixels, 160, x, y), 0u) << x << "," << y;
    EXPECT_NE(At(pixels, 160, 28, 80), 0u);
    EXPECT_NE(At(pixels, 160, 129, 80), 0u);
}

TEST(ShadowPixels, InnerRectangleTakesTheColourBeforeTheCutOut) {
    // Before the owner's area is cut out, the inner rectangle holds the plain colour.
    const int ow = 100, oh = 100, c = 10;
    std::vector<std::uint32_t> bottomUp(static_cast<std::size_t>(ow + 2 * c) * (oh + 2 * c));
    RenderShadowPixels(ow, oh, c, static_cast<float>(c), 0x80102030, bottomUp.data());
    const int W = ow + 2 * c, H = oh + 2 * c;
    EXPECT_EQ(bottomUp[static_cast<std::size_t>(H - 1 - 2 * c) * W + 2 * c], 0x80102030u);  // inner corner
    EXPECT_EQ(bottomUp[static_cast<std::size_t>(H - 1 - (H - 2 * c - 1)) * W + (W - 2 * c - 1)], 0x80102030u);
    EXPECT_NE(bottomUp[static_cast<std::size_t>(H - 1 - 2 * c) * W + 2 * c - 1], 0x80102030u);  // just outside
}

TEST(ShadowPixels, MainWindowGeometry) {
    const int margin = ShadowMargin(30.0f);
    ShadowBitmapSize size = ShadowBitmapSizeFor(1215, 750, margin);
    EXPECT_EQ(size.width, 1275);
    EXPECT_EQ(size.height, 810);
    // The shadow window's corner relative to the owner's: offset - margin.
    EXPECT_EQ(1 - margin, -29);
}

TEST(ShadowPixels, MarginRule) {
    EXPECT_EQ(ShadowMargin(30.0f), 30);
    EXPECT_EQ(ShadowMargin(50.0f), 50);
    EXPECT_EQ(ShadowMargin(30.7f), 30);  // truncated everywhere, the move included
    EXPECT_EQ(ShadowMargin(0.5f), 1);
    EXPECT_EQ(ShadowMargin(-3.0f), 1);
    EXPECT_EQ(ShadowMargin(std::nanf("")), 1);
    auto pixels = RenderRectangularShadow(10, 10, 0.5f, 0, 0, 0xFF000000);
    EXPECT_EQ(pixels.size(), 12u * 12u);  // drawn with a margin of 1
}

TEST(ShadowPixels, ErrorFunction) {
    EXPECT_EQ(ShadowErf(0.0f), 0.0f);
    EXPECT_EQ(ShadowErf(5e-8f), 0.0f);
    for (float x : {0.1f, 0.5f, 1.0f, 2.0f, 3.5f}) {
        EXPECT_EQ(ShadowErf(-x), -ShadowErf(x));
        EXPECT_NEAR(ShadowErf(x), std::erf(x), 3e-7);  // the approximation's own error bound is 1.5e-7
    }
    EXPECT_NEAR(ShadowErf(10.0f), 1.0f, 1e-6);
}

TEST(ShadowPixels, FarFromTheBoxNothingIsDrawn) {
    // With a wide margin and small blur the corner pixel is deep outside the box.
    auto pixels = RenderRectangularShadow(20, 20, 40.0f, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(At(pixels, 100, 0, 0), 0u);
    EXPECT_EQ(At(pixels, 100, 99, 99), 0u);
}

TEST(ShadowPixels, ColourZeroIsInvisible) {
    auto pixels = RenderRectangularShadow(50, 30, 20.0f, 1, 1, 0);
    for (std::uint32_t p : pixels) ASSERT_EQ(p, 0u);
}

TEST(ShadowPixels, ScalesEveryComponentByCoverageOnly) {
    // Full opacity white: each component equals the alpha (premultiplied by coverage).
    auto pixels = RenderRectangularShadow(100, 100, 30.0f, 1, 1, 0xFFFFFFFF);
    std::uint32_t p = At(pixels, 160, 80, 20);
    std::uint32_t a = p >> 24;
    EXPECT_GT(a, 0u);
    EXPECT_EQ(p, a * 0x01010101u);
}

TEST(MakeArgb, PacksTheLowBitsOfEachComponent) {
    EXPECT_EQ(MakeArgb(0, 0, 0, 50), 0x32000000u);
    EXPECT_EQ(MakeArgb(250, 200, 93, 50), 0x32FAC85Du);
    EXPECT_EQ(MakeArgb(0x1FF, 0x1FF, 0x1FF, 0xFF), 0xFFFFFFFFu);
    EXPECT_EQ(MakeArgb(0x100, 0x100, 0x100, 0), 0u);
}

TEST(ClearShadowRectangle, ClipsToTheBitmap) {
    std::vector<std::uint32_t> pixels(4 * 3, 7u);
    ClearShadowRectangle(pixels.data(), {4, 3}, -5, 2, 2, 99);  // bottom row (stored first), columns 0 and 1
    EXPECT_EQ(pixels[0], 0u);
    EXPECT_EQ(pixels[1], 0u);
    EXPECT_EQ(pixels[2], 7u);
    EXPECT_EQ(pixels[4], 7u);
    ClearShadowRectangle(pixels.data(), {4, 3}, 3, 0, 1, 3);  // inverted: nothing
    EXPECT_EQ(pixels[11], 7u);
}

}  // namespace
