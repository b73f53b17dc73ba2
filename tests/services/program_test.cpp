#include "services/program.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "services/codepage.h"

namespace {

TEST(Program, DirectoryAndFileNameOfTheRunningModule) {
    EXPECT_EQ(GetProgramFileName(), "services_test.exe");
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    EXPECT_EQ(GetProgramDir() + "\\" + GetProgramFileName(), FromWideText(path));
    ASSERT_FALSE(GetProgramDir().empty());
    EXPECT_NE(GetProgramDir().back(), '\\');
}

}  // namespace
