#include "services/shell.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "services/codepage.h"
#include "services/threads.h"
#include "tests/support/temp_folder.h"

namespace {

bool WaitForFile(const Text& path, int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 50) {
        if (GetFileAttributesW(ToWideText(path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(50);
    }
    return false;
}

TEST(ShellRun, OpensAProgramHiddenInAChineseFolder) {
    TempFolder temp;
    int result = ShellRun(4, "cmd.exe", "/c echo done> 结果.txt", temp.path(), 1);
    EXPECT_GT(result, 32);
    EXPECT_TRUE(WaitForFile(temp / "结果.txt", 20000));
}

TEST(ShellRun, ReportsTheShellsErrorForAMissingFile) {
    TempFolder temp;
    EXPECT_LE(ShellRun(4, temp / "不存在.exe"), 32);
}

std::atomic<int> threadRuns{0};

DWORD WINAPI CountRun(void* parameter) {
    threadRuns.fetch_add(*static_cast<int*>(parameter));
    return 0;
}

TEST(StartThread, RunsTheRoutineWithItsParameter) {
    int step = 3;
    KernelHandle thread;
    ASSERT_TRUE(StartThread(CountRun, &step, &thread));
    ASSERT_TRUE(thread);
    EXPECT_EQ(WaitForSingleObject(thread.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(threadRuns.load(), 3);

    ASSERT_TRUE(StartThread(CountRun, &step));  // handle closed at once
    for (int waited = 0; threadRuns.load() != 6 && waited < 10000; waited += 10) Sleep(10);
    EXPECT_EQ(threadRuns.load(), 6);
}

}  // namespace
