// The shadow-dump tool writes exactly the library's bitmap.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "window/core/shadow_pixels.h"

namespace {

struct Dump {
    int exitCode;
    std::vector<std::uint32_t> pixels;
    std::size_t bytes;
};

Dump RunDump(const std::string& arguments) {
    std::string command = std::string(SHADOW_DUMP_PATH) + " " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    Dump dump{-1, {}, 0};
    if (!pipe) return dump;
    std::vector<unsigned char> bytes;
    unsigned char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + n);
    dump.exitCode = pclose(pipe);
    dump.bytes = bytes.size();
    for (std::size_t i = 0; i + 3 < bytes.size(); i += 4)
        dump.pixels.push_back(bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16 |
                              static_cast<std::uint32_t>(bytes[i + 3]) << 24);
    return dump;
}

TEST(ShadowDump, WorkedExample) {
    Dump dump = RunDump("100 100 30 1 1 0x32000000");
    ASSERT_EQ(dump.exitCode, 0);
    ASSERT_EQ(dump.pixels.size(), 160u * 160u);
    EXPECT_EQ(dump.pixels[20 * 160 + 80], 0x0B000000u);
    EXPECT_EQ(dump.pixels[28 * 160 + 80], 0x18000000u);
    EXPECT_EQ(dump.pixels[80 * 160 + 131], 0x14000000u);
    EXPECT_EQ(dump.pixels[80 * 160 + 140], 0x07000000u);
    EXPECT_EQ(dump.pixels[80 * 160 + 80], 0u);
    EXPECT_EQ(dump.pixels[0 * 160 + 80], 0u);
    Dump glow = RunDump("100 100 30 1 1 0x32FAC85D");
    ASSERT_EQ(glow.pixels.size(), 160u * 160u);
    EXPECT_EQ(glow.pixels[20 * 160 + 80], 0x0B382D14u);
}

TEST(ShadowDump, MatchesTheLibraryForOtherShapes) {
    const struct {
        int width, height;
        float size;
        int offsetX, offsetY;
        std::uint32_t colour;
        const char* arguments;
    } cases[] = {
        {1215, 750, 30.0f, 1, 1, 0x32000000, "1215 750 30 1 1 0x32000000"},
        {729, 450, 50.0f, 1, 1, 0x32FAC85D, "729 450 50 1 1 0x32FAC85D"},
        {40, 7, 2.5f, -3, 4, 0xFF336699, "40 7 2.5 -3 4 0xFF336699"},
        {0, 0, 0.5f, 0, 0, 0xFFFFFFFF, "0 0 0.5 0 0 0xFFFFFFFF"},
    };
    for (const auto& c : cases) {
        Dump dump = RunDump(c.arguments);
        EXPECT_EQ(dump.exitCode, 0) << c.arguments;
        EXPECT_EQ(dump.pixels, RenderRectangularShadow(c.width, c.height, c.size, c.offsetX, c.offsetY, c.colour))
            << c.arguments;
    }
}

TEST(ShadowDump, RefusesBadArgumentsWithoutOutput) {
    for (const char* arguments : {"", "100 100 30 1 1", "100 100 30 1 1 zz", "-1 100 30 1 1 0", "100 100 nan 1 1 0",
                                  "100 100 30 1 1 0x1FFFFFFFF", "1e3 100 30 1 1 0"}) {
        Dump dump = RunDump(arguments);
        EXPECT_NE(dump.exitCode, 0) << arguments;
        EXPECT_EQ(dump.bytes, 0u) << arguments;
    }
}

}  // namespace
