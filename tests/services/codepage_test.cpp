#include "services/codepage.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "tests/support/temp_folder.h"

namespace {

TEST(CodePage, RunsUnderTheExpectedSystemCodePage) {
    // The test is registered once per locale; make sure the locale took effect.
    const char* expected = std::getenv("TAVRIN_EXPECT_ACP");
    ASSERT_NE(expected, nullptr) << "run through ctest, which sets TAVRIN_EXPECT_ACP";
    EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
}

TEST(CodePage, ConvertsChineseWhateverTheSystemCodePage) {
    EXPECT_EQ(ToWideText("卸载.exe"), L"\u5378\u8f7d.exe");
    EXPECT_EQ(FromWideText(L"\u5378\u8f7d.exe"), "卸载.exe");
    EXPECT_EQ(ToWideText(""), L"");
    EXPECT_EQ(ToWideText(std::string_view("ab\0cd", 5)), L"ab");  // a text ends at its 0 byte
    EXPECT_EQ(FromWideText(L"\u0e01"), "?");                      // Thai: not in code page 936
}

TEST(CodePage, AnsiPathOpensAChineseNameOnAnySystem) {
    TempFolder folder;
    std::wstring wide = ToWideText(folder / "更新.ini");
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    std::string ansi = ToAnsiPath(folder / "更新.ini");
    ASSERT_FALSE(ansi.empty());
    EXPECT_NE(GetFileAttributesA(ansi.c_str()), INVALID_FILE_ATTRIBUTES) << ansi;
}

}  // namespace
