#include "window/pumping_wait.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/test_window.h"

namespace {

// What the test window saw; written by its procedure on the test thread.
struct Seen {
    int paints = 0;
    int posted = 0;
    ULONGLONG lateMessageAt = 0;
};
Seen seen;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            ++seen.paints;
            return 0;
        }
        case WM_APP: ++seen.posted; return 0;
        case WM_APP + 1: seen.lateMessageAt = GetTickCount64(); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class PumpingWaitTest : public ::testing::Test {
protected:
    void SetUp() override {
        seen = {};
        window = CreateTestWindow(10, 10, 200, 100, true, CountingProc);
        ASSERT_NE(window, nullptr);
        PumpMessages();
        seen = {};
    }
    void TearDown() override { DestroyWindow(window); }
    HWND window = nullptr;
};

TEST_F(PumpingWaitTest, KeepsTheWindowRespondingForASecond) {
    InvalidateRect(window, nullptr, FALSE);
    PostMessageW(window, WM_APP, 0, 0);
    // Another thread posts halfway through: the wait must dispatch it then.
    std::thread late([w = window] {
        Sleep(300);
        PostMessageW(w, WM_APP + 1, 0, 0);
    });
    ULONGLONG start = GetTickCount64();
    WaitPumping(1000, 0);
    ULONGLONG end = GetTickCount64();
    late.join();
    EXPECT_GE(end - start, 980u);
    EXPECT_EQ(seen.posted, 1);
    EXPECT_GE(seen.paints, 1);
    ASSERT_NE(seen.lateMessageAt, 0u);
    EXPECT_LT(seen.lateMessageAt, end);
}

TEST_F(PumpingWaitTest, ASecondsUnitMultipliesByAThousand) {
    ULONGLONG start = GetTickCount64();
    WaitPumping(1, 1);
    EXPECT_GE(GetTickCount64() - start, 980u);
}

TEST_F(PumpingWaitTest, NothingToWaitForStillPumpsOnce) {
    for (int amount : {0, -5}) {
        seen.posted = 0;
        PostMessageW(window, WM_APP, 0, 0);
        WaitPumping(amount);
        EXPECT_EQ(seen.posted, 1) << amount;
    }
}

TEST_F(PumpingWaitTest, PumpMessagesEmptiesTheQueue) {
    for (int i = 0; i < 5; ++i) PostMessageW(window, WM_APP, 0, 0);
    PumpMessages();
    EXPECT_EQ(seen.posted, 5);
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
}

}  // namespace
