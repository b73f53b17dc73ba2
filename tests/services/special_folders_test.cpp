#include "services/special_folders.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "services/codepage.h"

namespace {

TEST(GetSpecialFolder, EveryKindEndsWithABackslashAndExists) {
    for (int kind = 1; kind <= 11; ++kind) {
        Text folder = GetSpecialFolder(kind);
        ASSERT_FALSE(folder.empty()) << "kind " << kind;
        EXPECT_EQ(folder.back(), '\\') << folder;
        EXPECT_NE(folder.substr(folder.size() - 2), "\\\\") << folder;
    }
    EXPECT_NE(GetFileAttributesW(ToWideText(GetSpecialFolder(11)).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(GetSpecialFolder, KnowsTheSystemFolders) {
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(GetSpecialFolder(9), FromWideText(windows) + "\\");
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(GetSpecialFolder(10), FromWideText(system) + "\\");
}

TEST(GetSpecialFolder, OtherKindsAreEmpty) {
    EXPECT_EQ(GetSpecialFolder(0), "");
    EXPECT_EQ(GetSpecialFolder(12), "");
    EXPECT_EQ(GetSpecialFolder(-1), "");
}

}  // namespace
