// Decoding the picture formats a control accepts, and refusing damaged ones
// without reading past them.
#include "controls/picture.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>

#include "controls/mouse_pointer.h"

namespace {

Bytes ReadPicture(const char* name) {
    std::ifstream in(std::string(TAVRIN_TEST_PICTURES) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Picture, EveryFormatDecodes) {
    struct Case {
        const char* file;
        int width, height;
        std::uint32_t centre;  // 0xAARRGGBB
        int tolerance;
    } cases[] = {
        {"quadrants.png", 256, 256, 0xFFFFFFFF, 0}, {"mark.png", 32, 32, 0xFFFAC865, 0},
        {"photo.jpg", 32, 32, 0xFFC040A0, 8},       {"solid.bmp", 32, 32, 0xFF00C0C0, 0},
        {"icon.ico", 32, 32, 0xFFF0E000, 0},        {"animation.gif", 32, 32, 0xFFFF0000, 0},
    };
    for (const Case& c : cases) {
        Picture picture = DecodePicture(ReadPicture(c.file));
        ASSERT_FALSE(picture.empty()) << c.file;
        EXPECT_EQ(picture.width, c.width) << c.file;
        EXPECT_EQ(picture.height, c.height) << c.file;
        std::uint32_t centre = picture.frames[0].at(c.width / 2, c.height / 2);
        for (int shift = 0; shift < 32; shift += 8)
            EXPECT_NEAR(static_cast<int>(centre >> shift & 0xFF), static_cast<int>(c.centre >> shift & 0xFF),
                        c.tolerance)
                << c.file << std::hex << " " << centre;
    }
    // Top-left of the quadrants is red; the mark's left half is half transparent.
    EXPECT_EQ(DecodePicture(ReadPicture("quadrants.png")).frames[0].at(0, 0), 0xFFFF0000u);
    EXPECT_NEAR(static_cast<int>(DecodePicture(ReadPicture("mark.png")).frames[0].at(3, 3) >> 24), 128, 1);
}

TEST(Picture, GifKeepsEveryFrameAndItsDelay) {
    Picture animation = DecodePicture(ReadPicture("animation.gif"));
    ASSERT_EQ(animation.frames.size(), 2u);
    EXPECT_EQ(animation.frames[1].at(5, 5), 0xFF0000FFu);
    EXPECT_EQ(animation.delays, (std::vector<int>{100, 100}));
}

TEST(Picture, DamagedFilesAreRefusedOrCutShort) {
    for (const char* file : {"quadrants.png", "photo.jpg", "solid.bmp", "icon.ico", "animation.gif"}) {
        Bytes whole = ReadPicture(file);
        for (std::size_t length :
             {std::size_t{0}, std::size_t{3}, std::size_t{20}, whole.size() / 3, whole.size() - 1}) {
            Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
            SCOPED_TRACE(std::string(file) + " cut to " + std::to_string(length));
            Picture picture = DecodePicture(cut);
            // Whatever comes out is whole: every frame of the stated size.
            for (const PixelImage& frame : picture.frames)
                ASSERT_EQ(frame.pixels.size(), static_cast<std::size_t>(frame.width) * frame.height)
                    << file << " " << length;
        }
        SCOPED_TRACE(std::string(file) + " with noise");
        Bytes noise = whole;
        for (std::size_t i = 8; i < noise.size(); i += 7) noise[i] ^= 0x5A;
        Picture picture = DecodePicture(noise);
        for (const PixelImage& frame : picture.frames)
            ASSERT_EQ(frame.pixels.size(), static_cast<std::size_t>(frame.width) * frame.height);
    }
    EXPECT_TRUE(DecodePicture(Bytes{'n', 'o', 'n', 'e'}).empty());
    Bytes png = ReadPicture("quadrants.png");
    EXPECT_TRUE(DecodePicture(Bytes(png.begin(), png.begin() + 40)).empty());
}

// The window's icon keeps its large sizes as PNG images: each size of its
// directory comes out as an icon of that size with the picture in it.
TEST(Picture, TheWindowIconGivesEverySize) {
    std::ifstream in(std::string(TAVRIN_ASSETS) + "/window.ico", std::ios::binary);
    Bytes file(std::istreambuf_iterator<char>(in), {});
    ASSERT_FALSE(file.empty());
    for (int size : {16, 24, 32, 48, 64, 128}) {
        SCOPED_TRACE(size);
        IconHandle icon = IconFromBytes(file, size);
        ASSERT_TRUE(icon);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon.get(), &info));
        GdiObject colour(info.hbmColor), mask(info.hbmMask);
        BITMAP bitmap = {};
        ASSERT_TRUE(GetObjectW(colour.get(), sizeof bitmap, &bitmap));
        EXPECT_EQ(bitmap.bmWidth, size);
        EXPECT_EQ(bitmap.bmHeight, size);
        BITMAPINFO format = {};
        format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        format.bmiHeader.biWidth = size;
        format.bmiHeader.biHeight = -size;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        format.bmiHeader.biCompression = BI_RGB;
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size);
        HDC screen = GetDC(nullptr);
        int rows =
            GetDIBits(screen, static_cast<HBITMAP>(colour.get()), 0, size, pixels.data(), &format, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(rows, size);
        // The application icon is opaque in its middle.
        EXPECT_GE(pixels[static_cast<std::size_t>(size / 2) * size + size / 2] >> 24, 200u);
    }
}

}  // namespace
