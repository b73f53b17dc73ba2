#include "controls/core/pixels.h"

#include <gtest/gtest.h>

namespace {

TEST(PlacePicture, ModesAndFittedRule) {
    struct Case {
        int mode, pw, ph, cw, ch;
        Placement expected;
    } cases[] = {
        {0, 32, 32, 48, 48, {0, 0, 32, 32}},
        {1, 32, 32, 48, 40, {0, 0, 48, 40}},
        {2, 32, 32, 48, 48, {8, 8, 32, 32}},         // never enlarged
        {2, 256, 256, 272, 200, {36, 0, 200, 200}},  // scaled by the smaller ratio
        {2, 1429, 885, 1008, 672, {0, 24, 1008, 624}},
        {2, 137, 58, 128, 60, {0, 3, 128, 54}},
        {2, 48, 48, 32, 32, {0, 0, 32, 32}},
        {2, 300, 10, 100, 100, {0, 48, 100, 3}},  // larger in one direction only
        {5, 10, 10, 20, 20, {5, 5, 10, 10}},      // out of range: as the last mode
    };
    for (const Case& c : cases) {
        int mode = c.mode > 2 ? 2 : c.mode;
        EXPECT_EQ(PlacePicture(mode, c.pw, c.ph, c.cw, c.ch), c.expected) << c.mode << " " << c.pw << "x" << c.ph;
    }
}

PixelImage Filled(int width, int height, std::uint32_t pixel) {
    return {width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, pixel)};
}

TEST(ScaleImage, AveragesAreas) {
    PixelImage stripes{4, 1, {0xFFFF0000, 0xFFFF0000, 0xFF0000FF, 0xFF0000FF}};
    PixelImage half = ScaleImage(stripes, 2, 1);
    EXPECT_EQ(half.pixels, (std::vector<std::uint32_t>{0xFFFF0000, 0xFF0000FF}));
    PixelImage one = ScaleImage(stripes, 1, 1);
    EXPECT_EQ(one.pixels[0], 0xFF800080u);
    // A third of a pixel's width falls on each side of a 3-to-2 reduction.
    PixelImage three{3, 1, {0xFF000000, 0xFFFFFFFF, 0xFF000000}};
    EXPECT_EQ(ScaleImage(three, 2, 1).pixels, (std::vector<std::uint32_t>{0xFF555555, 0xFF555555}));
}

TEST(ScaleImage, TransparentPixelsDoNotDarkenEdges) {
    PixelImage edge{2, 1, {0x00000000, 0xFFFFFFFF}};
    EXPECT_EQ(ScaleImage(edge, 1, 1).pixels[0], 0x80FFFFFFu);
}

TEST(ScaleImage, EnlargesWithoutBlur) {
    PixelImage two{2, 1, {0xFF112233, 0xFF445566}};
    EXPECT_EQ(ScaleImage(two, 4, 2).pixels,
              (std::vector<std::uint32_t>{0xFF112233, 0xFF112233, 0xFF445566, 0xFF445566, 0xFF112233, 0xFF112233,
                                          0xFF445566, 0xFF445566}));
}

TEST(ScaleImage, UniformImagesStayUniform) {
    for (auto [w, h] : {std::pair{1008, 624}, {200, 200}, {7, 3}}) {
        PixelImage scaled = ScaleImage(Filled(1429, 885, 0xFF181A21), w, h);
        ASSERT_EQ(scaled.width, w);
        for (std::uint32_t pixel : scaled.pixels) ASSERT_EQ(pixel, 0xFF181A21u);
    }
}

TEST(Pixels, BlendMaskAndDisabled) {
    PixelImage image{3, 1, {0x80FFFFFF, 0x00123456, 0xFF102030}};
    BlendOverColor(image, 0x000000);  // over black
    EXPECT_EQ(image.pixels, (std::vector<std::uint32_t>{0xFF808080, 0xFF000000, 0xFF102030}));

    PixelImage masked{3, 1, {0xFF211A18, 0xFF181A21, 0x7F181A21}};
    ClearTransparentColor(masked, 0x211A18);  // colour value 24,26,33
    EXPECT_EQ(masked.pixels, (std::vector<std::uint32_t>{0xFF211A18, 0, 0}));

    PixelImage grey = DisabledImage(PixelImage{2, 1, {0xFFFF0000, 0x40000000}});
    EXPECT_EQ(grey.pixels[1], 0x40808080u);  // black lightened, alpha kept
    std::uint32_t red = grey.pixels[0];
    EXPECT_EQ(red >> 16 & 0xFF, red & 0xFF);
    EXPECT_EQ(PixelFromColor(0x211A18), 0xFF181A21u);
}

}  // namespace
