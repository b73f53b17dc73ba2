#include "window/shadow.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/test_window.h"
#include "window/shadow_render.h"

namespace {

class ShadowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(ShadowRegisterClass()); }
    void TearDown() override {
        for (HWND w : windows_) DestroyWindow(w);
    }
    HWND Owner(int left, int top, int width, int height, bool visible = true) {
        HWND w = CreateTestWindow(left, top, width, height, visible);
        windows_.push_back(w);
        return w;
    }
    static RECT RectOf(HWND w) {
        RECT r{};
        GetWindowRect(w, &r);
        return r;
    }
    static void ExpectRect(HWND w, int left, int top, int width, int height) {
        RECT r = RectOf(w);
        EXPECT_EQ(r.left, left);
        EXPECT_EQ(r.top, top);
        EXPECT_EQ(r.right - r.left, width);
        EXPECT_EQ(r.bottom - r.top, height);
    }

private:
    std::vector<HWND> windows_;
};

TEST_F(ShadowTest, MainWindowShadowGeometry) {
    HWND owner = Owner(100, 80, 1215, 750);
    ShadowInfo info{MakeArgb(0, 0, 0, 50), 30.0f, 1, 1, 0, nullptr};
    ASSERT_TRUE(ShadowAttach(owner, &info));
    ASSERT_NE(info.shadowWindow, nullptr);
    ExpectRect(info.shadowWindow, 100 - 29, 80 - 29, 1275, 810);
    EXPECT_EQ(GetWindow(info.shadowWindow, GW_OWNER), owner);
    LONG_PTR exStyle = GetWindowLongPtrW(info.shadowWindow, GWL_EXSTYLE);
    EXPECT_EQ(exStyle & (WS_EX_LAYERED | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT),
              WS_EX_LAYERED | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT);
    ShadowDetach(owner);
}

TEST_F(ShadowTest, AttachingTwiceChangesNothing) {
    HWND owner = Owner(50, 50, 200, 100);
    ShadowInfo info{0x32000000, 30.0f, 1, 1, 0, nullptr};
    ASSERT_TRUE(ShadowAttach(owner, &info));
    LONG_PTR proc = GetWindowLongPtrW(owner, GWLP_WNDPROC);
    HWND shadow = info.shadowWindow;
    ShadowInfo other{0x32FAC85D, 50.0f, 1, 1, 0, nullptr};
    EXPECT_FALSE(ShadowAttach(owner, &other));
    EXPECT_EQ(GetWindowLongPtrW(owner, GWLP_WNDPROC), proc);
    EXPECT_EQ(info.shadowWindow, shadow);
    EXPECT_EQ(other.shadowWindow, nullptr);
    EXPECT_EQ(GetPropW(owner, L"shadow.prop.info"), &info);
    ShadowDetach(owner);
}

TEST_F(ShadowTest, HidingAndShowingTheOwner) {
    HWND owner = Owner(50, 50, 300, 200);
    ShadowInfo info{0x32000000, 30.0f, 1, 1, 0, nullptr};
    ASSERT_TRUE(ShadowAttach(owner, &info));
    EXPECT_TRUE(IsWindowVisible(info.shadowWindow));
    ShowWindow(owner, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(info.shadowWindow));
    unsigned before = ShadowRenderCount();
    ShowWindow(owner, SW_SHOWNA);
    EXPECT_TRUE(IsWindowVisible(info.shadowWindow));
    EXPECT_GT(ShadowRenderCount(), before);
    ShadowDetach(owner);
}

TEST_F(ShadowTest, MovingFollowsWithoutRenderingAndResizingRenders) {
    HWND owner = Owner(50, 50, 300, 200);
    ShadowInfo info{0x32000000, 30.0f, 1, 1, 0, nullptr};
    ASSERT_TRUE(ShadowAttach(owner, &info));
    unsigned before = ShadowRenderCount();
    SetWindowPos(owner, nullptr, 400, 260, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ExpectRect(info.shadowWindow, 400 + 1 - 30, 260 + 1 - 30, 360, 260);
    EXPECT_EQ(ShadowRenderCount(), before);

    SetWindowPos(owner, nullptr, 0, 0, 500, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_GT(ShadowRenderCount(), before);
    ExpectRect(info.shadowWindow, 400 + 1 - 30, 260 + 1 - 30, 560, 160);
    ShadowDetach(owner);
}

TEST_F(ShadowTest, AFractionalSizeStaysInPlaceAfterAMove) {
    HWND owner = Owner(50, 50, 100, 100);
    ShadowInfo info{0x32000000, 30.6f, 2, 3, 0, nullptr};
    ASSERT_TRUE(ShadowAttach(owner, &info));
    RECT drawn = RectOf(info.shadowWindow);
    SetWindowPos(owner, nullptr, 50, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SendMessageW(owner, WM_MOVE, 0, MAKELPARAM(50, 50));
    RECT moved = RectOf(info.shadowWindow);
    EXPECT_EQ(moved.left, drawn.left);
    EXPECT_EQ(moved.top, drawn.top);
    EXPECT_EQ(drawn.left, 50 + 2 - 30);
    ShadowDetach(owner);
}

TEST_F(ShadowTest, DetachRestoresTheOwnerAndReattachTakesANewDescription) {
    HWND owner = Owner(100, 100, 729, 450);
    LONG_PTR original = GetWindowLongPtrW(owner, GWLP_WNDPROC);
    ShadowInfo grey{0x32000000, 30.0f, 1, 1, 0, nullptr};
    ASSERT_TRUE(ShadowAttach(owner, &grey));
    EXPECT_NE(GetWindowLongPtrW(owner, GWLP_WNDPROC), original);
    HWND shadow = grey.shadowWindow;
    ShadowDetach(owner);
    EXPECT_EQ(GetWindowLongPtrW(owner, GWLP_WNDPROC), original);
    EXPECT_EQ(GetPropW(owner, L"shadow.prop.wndproc"), nullptr);
    EXPECT_EQ(GetPropW(owner, L"shadow.prop.info"), nullptr);
    EXPECT_EQ(grey.shadowWindow, nullptr);
    EXPECT_FALSE(IsWindow(shadow));
    ShadowDetach(owner);  // a second detach does nothing

    ShadowInfo glow{MakeArgb(250, 200, 93, 50), 50.0f, 1, 1, 0, nullptr};
    ASSERT_TRUE(ShadowAttach(owner, &glow));
    ExpectRect(glow.shadowWindow, 100 - 49, 100 - 49, 829, 550);
    ShadowDetach(owner);
}

TEST_F(ShadowTest, ASizeBelowOneIsStoredAsOne) {
    HWND owner = Owner(60, 60, 100, 50);
    ShadowInfo info{0x32000000, 0.5f, 0, 0, 0, nullptr};
    ASSERT_TRUE(ShadowAttach(owner, &info));
    EXPECT_EQ(info.size, 1.0f);
    ExpectRect(info.shadowWindow, 59, 59, 102, 52);
    ShadowDetach(owner);
}

TEST_F(ShadowTest, ControlMessage) {
    HWND owner = Owner(60, 60, 100, 50);
    ShadowInfo info{0x32000000, 10.0f, 1, 1, 0, nullptr};
    ASSERT_TRUE(ShadowAttach(owner, &info));
    unsigned before = ShadowRenderCount();
    EXPECT_EQ(SendMessageW(owner, WM_SHADOW_CONTROL, 2, 0), 1);
    EXPECT_EQ(ShadowRenderCount(), before + 1);
    EXPECT_EQ(SendMessageW(owner, WM_SHADOW_CONTROL, 7, 0), 0);
    EXPECT_EQ(SendMessageW(owner, WM_SHADOW_CONTROL, 1, 0), 0);  // one shadow per owner
    HWND shadow = info.shadowWindow;
    EXPECT_EQ(SendMessageW(owner, WM_SHADOW_CONTROL, 0, 0), 1);
    EXPECT_EQ(info.shadowWindow, nullptr);
    EXPECT_FALSE(IsWindow(shadow));
    EXPECT_EQ(SendMessageW(owner, WM_SHADOW_CONTROL, 1, 0), 1);
    EXPECT_NE(info.shadowWindow, nullptr);
    ShadowDetach(owner);
}

TEST_F(ShadowTest, TheOwnersDestructionTakesTheShadowAlong) {
    HWND owner = CreateTestWindow(10, 10, 100, 100, true);
    ShadowInfo info{0x32000000, 10.0f, 1, 1, 0, nullptr};
    ASSERT_TRUE(ShadowAttach(owner, &info));
    HWND shadow = info.shadowWindow;
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(shadow));
}

TEST_F(ShadowTest, BitmapOfARectangularOwnerIsTheWorkedExample) {
    HWND owner = Owner(200, 200, 100, 100);
    ShadowInfo info{0x32000000, 30.0f, 1, 1, 0, nullptr};
    ShadowCanvas canvas;
    POINT position{};
    ASSERT_TRUE(PaintOwnerShadow(owner, info, canvas, position));
    EXPECT_EQ(position.x, 171);
    EXPECT_EQ(position.y, 171);
    ASSERT_EQ(canvas.width(), 160);
    ASSERT_EQ(canvas.height(), 160);
    auto at = [&](int x, int y) { return canvas.pixels()[(159 - y) * 160 + x]; };  // rows stored bottom-up
    EXPECT_EQ(at(80, 0), 0u);
    EXPECT_EQ(at(80, 20), 0x0B000000u);
    EXPECT_EQ(at(80, 28), 0x18000000u);
    EXPECT_EQ(at(131, 80), 0x14000000u);
    EXPECT_EQ(at(140, 80), 0x07000000u);
    for (int y = 29; y <= 128; ++y)
        for (int x = 29; x <= 128; ++x) ASSERT_EQ(at(x, y), 0u) << x << "," << y;
}

TEST_F(ShadowTest, AWindowRegionIsCutOutInsteadOfTheRectangle) {
    HWND owner = Owner(200, 200, 100, 100);
    SetWindowRgn(owner, CreateEllipticRgn(0, 0, 100, 100), FALSE);
    ShadowInfo info{0xFF000000, 30.0f, 1, 1, 0, nullptr};
    ShadowCanvas canvas;
    POINT position{};
    ASSERT_TRUE(PaintOwnerShadow(owner, info, canvas, position));
    auto at = [&](int x, int y) { return canvas.pixels()[(159 - y) * 160 + x]; };
    EXPECT_EQ(at(79, 79), 0u);           // centre of the ellipse
    EXPECT_EQ(at(29 + 50, 29 + 2), 0u);  // inside the ellipse near its top
    EXPECT_NE(at(29 + 1, 29 + 1), 0u);   // the owner's corner lies outside its region
    EXPECT_EQ(at(29 + 1, 29 + 1) & 0x00FFFFFF, 0u);
}

}  // namespace
