#include "services/core/paths.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitProgramPath, SplitsAtTheLastBackslash) {
    auto parts = SplitProgramPath("C:\\Program Files (x86)\\tavrin\\卸载.exe");
    EXPECT_EQ(parts.directory, "C:\\Program Files (x86)\\tavrin");
    EXPECT_EQ(parts.fileName, "卸载.exe");
    parts = SplitProgramPath("setup.exe");
    EXPECT_EQ(parts.directory, "");
    EXPECT_EQ(parts.fileName, "setup.exe");
    // A trail byte 0x5C is not a separator.
    parts = SplitProgramPath("C:\\a\\\x95\x5C.exe");
    EXPECT_EQ(parts.directory, "C:\\a");
    EXPECT_EQ(parts.fileName, "\x95\x5C.exe");
}

TEST(IsEmptyOrDriveRoot, RecognisesRootsOnly) {
    for (const char* root : {"", "   ", "C:", "c:\\", "  D:\\\\", "Z:"}) EXPECT_TRUE(IsEmptyOrDriveRoot(root)) << root;
    for (const char* other : {"C:\\x", "C:x", "\\", "CC:", "1:", "C:\\ "})
        EXPECT_FALSE(IsEmptyOrDriveRoot(other)) << other;
}

TEST(ShortcutFileName, AddsLnkWhenTheLinksOwnNameHasNoExtension) {
    EXPECT_EQ(ShortcutFileName("C:\\Users\\me\\Desktop\\Tavrin 端口映射"),
              "C:\\Users\\me\\Desktop\\Tavrin 端口映射.lnk");
    EXPECT_EQ(ShortcutFileName("C:\\users\\john.smith\\Desktop\\Tavrin 端口映射"),
              "C:\\users\\john.smith\\Desktop\\Tavrin 端口映射.lnk");
    EXPECT_EQ(ShortcutFileName("C:\\x.y\\link"), "C:\\x.y\\link.lnk");
    EXPECT_EQ(ShortcutFileName("C:\\x\\link.lnk"), "C:\\x\\link.lnk");
    EXPECT_EQ(ShortcutFileName("link.lnk"), "link.lnk");
    EXPECT_EQ(ShortcutFileName("link"), "link.lnk");
    // "乗" ends in the byte of a backslash: the dot before it is in the name.
    EXPECT_EQ(ShortcutFileName("C:\\a\\v1.乗"), "C:\\a\\v1.乗");
}

TEST(WithTrailingBackslash, AddsOneWhenMissing) {
    EXPECT_EQ(WithTrailingBackslash("C:\\x"), "C:\\x\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\x\\"), "C:\\x\\");
    EXPECT_EQ(WithTrailingBackslash(""), "");
    EXPECT_EQ(WithTrailingBackslash("C:\\\x95\x5C"), "C:\\\x95\x5C\\");
}

TEST(VersionTableName, LowerCaseHexOfBothHalves) {
    EXPECT_EQ(VersionTableName(0x0804, 936), "080403a8");
    EXPECT_EQ(VersionTableName(0x0409, 0x04E4), "040904e4");
    EXPECT_EQ(kDefaultVersionTable, "040904E4");
}

}  // namespace
