// The window framework in one process under Wine: the test layout loaded
// through the frame, its controls drawn (read back from the screen at
// chosen pixels), their properties, events, pages and fatal reports.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "controls/fonts.h"
#include "controls/loaded_window.h"
#include "controls/window_operations.h"
#include "frame/application.h"
#include "frame/events.h"
#include "frame/frame.h"
#include "layout_ids.h"
#include "services/declared.h"
#include "tests/support/fatal_capture.h"
#include "tests/support/screen_capture.h"
#include "window/pumping_wait.h"

namespace tw = layout::test_window;
namespace hw = layout::hidden_window;

namespace {

// What the handlers saw, in order (user-interface thread only).
std::vector<EventArgs> seen;
// The answer of the close query and close request handlers (none: no value).
std::optional<std::int32_t> closeAnswer;

EventResult Record(const EventArgs& args) {
    seen.push_back(args);
    return std::nullopt;
}

bool Saw(std::uint32_t control, int number) {
    for (const EventArgs& args : seen)
        if (args.control == control && args.number == number) return true;
    return false;
}

void Settle() {
    for (int i = 0; i < 5; ++i) {
        PumpMessages();
        Sleep(20);
    }
}

#define EXPECT_PIXEL(x, y, red, green, blue, tolerance)                                                 \
    do {                                                                                                \
        Rgb p_ = ScreenPixel(x, y);                                                                     \
        EXPECT_TRUE(std::abs(p_.r - (red)) <= (tolerance) && std::abs(p_.g - (green)) <= (tolerance) && \
                    std::abs(p_.b - (blue)) <= (tolerance))                                             \
            << "pixel " << (x) << "," << (y) << " is " << p_.r << "," << p_.g << "," << p_.b;           \
    } while (0)

// Pumps messages until the pixel shows the colour or `ms` have passed
// (the system notices a pointer that left on its own timer).
bool PixelBecomes(int x, int y, Rgb expected, DWORD ms) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
        Rgb p = ScreenPixel(x, y);
        if (p.r == expected.r && p.g == expected.g && p.b == expected.b) return true;
        WaitPumping(20, 0);
    }
    return false;
}

// Any pixel of the rectangle brighter than `level` in every channel.
bool HasBrightPixel(int left, int top, int width, int height, int level) {
    HDC screen = GetDC(nullptr);
    bool found = false;
    for (int y = top; y < top + height && !found; y += 1)
        for (int x = left; x < left + width && !found; x += 1) {
            COLORREF c = GetPixel(screen, x, y);
            found = GetRValue(c) > level && GetGValue(c) > level && GetBValue(c) > level;
        }
    ReleaseDC(nullptr, screen);
    return found;
}

HWND Handle(std::uint32_t window, std::uint32_t control) { return GetWindowHandle(window, control); }

class Frame : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        StartFrame();
        ASSERT_TRUE(LoadWindow(tw::kWindow));
        Settle();
        SaveScreen(L"frame_test_window.bmp", {0, 0, 640, 480});
    }
    void SetUp() override {
        seen.clear();
        closeAnswer.reset();
    }
};

TEST_F(Frame, LoadsTheStartWindowShownWithItsFirstEvents) {
    HWND window = Handle(tw::kWindow, tw::kWindow);
    EXPECT_TRUE(IsWindowVisible(window));
    RECT box;
    GetWindowRect(window, &box);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right - box.left, 640);
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
    EXPECT_TRUE(IsWindowVisible(Handle(tw::kWindow, tw::kPageOne)));
    EXPECT_FALSE(IsWindowVisible(Handle(tw::kWindow, tw::kPageTwo)));
    EXPECT_EQ(GetTextProperty(tw::kWindow, tw::kWindow, 8), "测试窗口");
}

TEST_F(Frame, PicturesAreDrawnByMode) {
    // 256 x 256 quadrants fitted into 272 x 200: 200 x 200 at 36, 0 (screen 46, 10).
    EXPECT_PIXEL(46 + 50, 10 + 50, 255, 0, 0, 2);
    EXPECT_PIXEL(46 + 150, 10 + 50, 0, 255, 0, 2);
    EXPECT_PIXEL(46 + 50, 10 + 150, 0, 0, 255, 2);
    EXPECT_PIXEL(46 + 150, 10 + 150, 255, 255, 255, 2);
    EXPECT_PIXEL(46 + 2, 10 + 2, 255, 0, 0, 2);
    EXPECT_PIXEL(46 - 2, 10 + 100, 10, 10, 10, 0);        // the box's background left of it
    EXPECT_PIXEL(46 + 200 + 1, 10 + 100, 10, 10, 10, 0);  // and right of it
    // 32 x 32 in 48 x 48 is not enlarged: at 8, 8; its half-transparent left
    // half blended over the black background.
    EXPECT_PIXEL(300 + 8 + 24, 10 + 8 + 10, 250, 200, 101, 1);
    EXPECT_PIXEL(300 + 8 + 4, 10 + 8 + 10, 125, 100, 51, 2);
    EXPECT_PIXEL(300 + 7, 10 + 8 + 10, 0, 0, 0, 0);
    EXPECT_PIXEL(300 + 8 + 32, 10 + 8 + 10, 0, 0, 0, 0);
    // Stretched to 64 x 32.
    EXPECT_PIXEL(360 + 60, 10 + 30, 250, 200, 101, 1);
    EXPECT_PIXEL(360 + 3, 10 + 3, 125, 100, 51, 2);
    // JPEG, BMP and ICO at their own size.
    EXPECT_PIXEL(440 + 16, 10 + 16, 0xC0, 0x40, 0xA0, 8);
    EXPECT_PIXEL(520 + 16, 10 + 16, 0, 0xC0, 0xC0, 0);
    EXPECT_PIXEL(560 + 16, 10 + 16, 0xF0, 0xE0, 0, 0);
}

TEST_F(Frame, AnimatedGifPlaysItsFrames) {
    bool red = false, blue = false;
    for (int i = 0; i < 40 && !(red && blue); ++i) {
        WaitPumping(30, 0);
        Rgb p = ScreenPixel(480 + 16, 10 + 16);
        red = red || (p.r == 255 && p.b == 0);
        blue = blue || (p.b == 255 && p.r == 0);
    }
    EXPECT_TRUE(red);
    EXPECT_TRUE(blue);
}

TEST_F(Frame, ShapeLabelEditAndTab) {
    // A 2-pixel accent outline around the field colour.
    EXPECT_PIXEL(300, 70, 250, 200, 101, 0);
    EXPECT_PIXEL(301, 71, 250, 200, 101, 0);
    EXPECT_PIXEL(399, 119, 250, 200, 101, 0);
    EXPECT_PIXEL(302, 72, 35, 37, 44, 0);
    EXPECT_PIXEL(350, 95, 35, 37, 44, 0);
    // White caption on the skin, centred: nothing in its outer margins.
    EXPECT_PIXEL(301, 131, 24, 26, 33, 0);
    EXPECT_TRUE(HasBrightPixel(400, 132, 100, 28, 200));
    EXPECT_FALSE(HasBrightPixel(300, 130, 60, 32, 200));
    // Light text on the field colour in the edit box.
    EXPECT_PIXEL(301, 171, 35, 37, 44, 0);
    EXPECT_TRUE(HasBrightPixel(300, 170, 200, 42, 150));
    // The tab control's background and its first page.
    EXPECT_PIXEL(15, 265, 48, 49, 56, 0);
    EXPECT_PIXEL(10 + 20 + 25, 260 + 20 + 25, 255, 0, 0, 0);
}

TEST_F(Frame, ChineseTextHasAFontWithItsGlyphs) {
    std::wstring face = InstalledFace(L"微软雅黑");
    LOGFONTW font = {};
    font.lfHeight = -15;
    font.lfCharSet = GB2312_CHARSET;
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    HFONT made = CreateFontIndirectW(&font);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, made);
    WORD glyphs[4] = {};
    GetGlyphIndicesW(dc, L"中文标签", 4, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
    wchar_t chosen[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, chosen);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    DeleteObject(made);
    for (WORD glyph : glyphs) EXPECT_NE(glyph, 0xFFFF) << "face " << std::string(face.begin(), face.end());
    EXPECT_EQ(std::wstring(chosen), face);
}

// The pointer is put where the mouse would be: the hover look is tracked
// against the real pointer, which ends it as soon as the pointer is elsewhere.
void HoverAt(HWND control, int x, int y) {
    SetCursorPos(x, y);
    POINT inside = {x, y};
    ScreenToClient(control, &inside);
    SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(inside.x, inside.y));
    Settle();
}

TEST_F(Frame, PictureButtonShowsItsSecondPictureUnderTheMouse) {
    HWND button = Handle(tw::kWindow, tw::kPictureButton);
    SetCursorPos(5, 470);
    EXPECT_TRUE(PixelBecomes(360, 250, {0x30, 0x60, 0xD0}, 3000));
    EXPECT_PIXEL(301, 231, 24, 26, 33, 0);  // the picture's transparent corner shows the background
    HoverAt(button, 360, 250);
    EXPECT_PIXEL(360, 250, 0xE0, 0xB0, 0x20, 0);
    SetCursorPos(5, 470);  // leaving ends the hover look
    EXPECT_TRUE(PixelBecomes(360, 250, {0x30, 0x60, 0xD0}, 3000));
    // Without a second picture the first stays under the mouse.
    HoverAt(Handle(tw::kWindow, tw::kOutOnlyButton), 510, 250);
    EXPECT_PIXEL(510, 250, 0x30, 0x60, 0xD0, 0);
    SetCursorPos(5, 470);
    WaitPumping(600, 0);
}

TEST_F(Frame, DisabledButtonGetsAGeneratedPicture) {
    SetProperty(tw::kWindow, tw::kOutOnlyButton, 6, 1);
    Settle();
    Rgb p = ScreenPixel(510, 250);
    EXPECT_EQ(p.r, p.g);
    EXPECT_EQ(p.g, p.b);
    EXPECT_GT(p.r, 128);
    SetProperty(tw::kWindow, tw::kOutOnlyButton, 6, 0);
    Settle();
    EXPECT_PIXEL(510, 250, 0x30, 0x60, 0xD0, 0);
}

TEST_F(Frame, EventsReachTheirHandlers) {
    HWND page = Handle(tw::kWindow, tw::kPageOne);
    SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 9));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].window, tw::kWindow);
    EXPECT_EQ(seen[0].control, tw::kPageOne);
    EXPECT_EQ(seen[0].number, -1);
    EXPECT_EQ(seen[0].count, 3);
    EXPECT_EQ(seen[0].values[0], 7);
    EXPECT_EQ(seen[0].values[1], 9);
    SendMessageW(Handle(tw::kWindow, tw::kPictureButton), BM_CLICK, 0, 0);
    EXPECT_TRUE(Saw(tw::kPictureButton, 0));
    // Nothing is raised while the error-nesting counter is up.
    seen.clear();
    ErrorNestingCounter().fetch_add(1);
    SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageW(Handle(tw::kWindow, tw::kPictureButton), BM_CLICK, 0, 0);
    ErrorNestingCounter().fetch_sub(1);
    EXPECT_TRUE(seen.empty());
}

TEST_F(Frame, CheckBoxModeTogglesChecked) {
    HWND button = Handle(tw::kWindow, tw::kCheckButton);
    EXPECT_EQ(GetNumberProperty(tw::kWindow, tw::kCheckButton, 10), 1);
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(GetNumberProperty(tw::kWindow, tw::kCheckButton, 10), 0);
    EXPECT_TRUE(Saw(tw::kCheckButton, 0));
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(GetNumberProperty(tw::kWindow, tw::kCheckButton, 10), 1);
}

TEST_F(Frame, UserEventIsSentOrPosted) {
    EXPECT_EQ(RaiseUserEvent(tw::kWindow, tw::kCaption, 5, 6), 11);  // the handler answers the sum
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].values[0], 5);
    EXPECT_EQ(seen[0].values[1], 6);
    seen.clear();
    EXPECT_EQ(RaiseUserEvent(tw::kWindow, tw::kCaption, 7, 8, false), 0);
    EXPECT_TRUE(seen.empty());  // not yet: posted
    Settle();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].values[0], 7);
}

TEST_F(Frame, TabPagesShowOnlyTheCurrentPage) {
    HWND one = Handle(tw::kWindow, tw::kPageOne), two = Handle(tw::kWindow, tw::kPageTwo);
    SetProperty(tw::kWindow, tw::kPages, 12, 1);
    Settle();
    EXPECT_FALSE(IsWindowVisible(one));
    EXPECT_TRUE(IsWindowVisible(two));
    EXPECT_PIXEL(55, 305, 0, 255, 0, 0);
    EXPECT_EQ(GetNumberProperty(tw::kWindow, tw::kPages, 12), 1);
    // A page beyond the last is clamped to the last, which is empty.
    SetProperty(tw::kWindow, tw::kPages, 12, 7);
    Settle();
    EXPECT_EQ(GetNumberProperty(tw::kWindow, tw::kPages, 12), 2);
    EXPECT_FALSE(IsWindowVisible(one));
    EXPECT_FALSE(IsWindowVisible(two));
    EXPECT_PIXEL(55, 305, 48, 49, 56, 0);
    // A control hidden by its page keeps its own visibility.
    EXPECT_EQ(GetNumberProperty(tw::kWindow, tw::kPageOne, 5), 1);
    SetProperty(tw::kWindow, tw::kPages, 12, 0);
    Settle();
    EXPECT_TRUE(IsWindowVisible(one));
    EXPECT_FALSE(IsWindowVisible(two));
}

TEST_F(Frame, PropertiesReadBackAndClamp) {
    SetProperty(tw::kWindow, tw::kFitted, 11, 9);  // display mode above 2
    EXPECT_EQ(GetNumberProperty(tw::kWindow, tw::kFitted, 11), 2);
    SetProperty(tw::kWindow, tw::kFitted, 11, -4);
    EXPECT_EQ(GetNumberProperty(tw::kWindow, tw::kFitted, 11), 0);
    SetProperty(tw::kWindow, tw::kFitted, 11, 2);

    SetProperty(tw::kWindow, tw::kFolder, 8, Text("D:\\新文件夹"));
    EXPECT_EQ(GetTextProperty(tw::kWindow, tw::kFolder, 8), "D:\\新文件夹");
    wchar_t shown[64] = {};
    GetWindowTextW(Handle(tw::kWindow, tw::kFolder), shown, 64);
    EXPECT_EQ(std::wstring(shown), L"D:\\新文件夹");

    SetProperty(tw::kWindow, tw::kSmall, 0, 310);
    EXPECT_EQ(GetNumberProperty(tw::kWindow, tw::kSmall, 0), 310);
    RECT box;
    GetWindowRect(Handle(tw::kWindow, tw::kSmall), &box);
    EXPECT_EQ(box.left, 310);
    SetProperty(tw::kWindow, tw::kSmall, 0, 300);
    SetProperty(tw::kWindow, tw::kSmall, 4, Text("标记"));
    EXPECT_EQ(GetTextProperty(tw::kWindow, tw::kSmall, 4), "标记");
}

TEST_F(Frame, PropertySetFromAWorkerThreadTakesEffect) {
    std::atomic<bool> done{false};
    std::int32_t readBack = 0;
    std::thread worker([&] {
        SetProperty(tw::kWindow, tw::kCaption, 17, 0x0000FF);  // red background
        SetProperty(tw::kWindow, tw::kCaption, 8, Text("线程"));
        readBack = GetNumberProperty(tw::kWindow, tw::kCaption, 17);
        done = true;
    });
    // The worker's changes are carried out by this thread's messages.
    while (!done) WaitPumping(10, 0);
    worker.join();
    Settle();
    EXPECT_EQ(readBack, 0x0000FF);
    EXPECT_PIXEL(302, 132, 255, 0, 0, 0);
    EXPECT_EQ(GetTextProperty(tw::kWindow, tw::kCaption, 8), "线程");
    SetProperty(tw::kWindow, tw::kCaption, 17, 0x211A18);
    SetProperty(tw::kWindow, tw::kCaption, 8, Text("中文标签"));
}

TEST_F(Frame, CloseRequestAndQueryMayRefuse) {
    HWND window = Handle(tw::kWindow, tw::kWindow);
    closeAnswer = 0;
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    // The close request is raised first; refused there, no close query follows.
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].number, 12);
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), FALSE);
    EXPECT_EQ(seen.back().number, 1);
}

TEST_F(Frame, ControlMadeVisibleInAHiddenWindowAppearsWithIt) {
    ASSERT_TRUE(LoadWindow(hw::kWindow, Handle(tw::kWindow, tw::kWindow)));
    HWND window = Handle(hw::kWindow, hw::kWindow), box = Handle(hw::kWindow, hw::kHiddenBox);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetWindow(window, GW_OWNER), Handle(tw::kWindow, tw::kWindow));
    SetProperty(hw::kWindow, hw::kHiddenBox, 5, 1);
    EXPECT_EQ(GetNumberProperty(hw::kWindow, hw::kHiddenBox, 5), 1);
    EXPECT_FALSE(IsWindowVisible(box));
    SetProperty(hw::kWindow, hw::kWindow, 5, 1);
    Settle();
    EXPECT_TRUE(IsWindowVisible(box));
    EXPECT_TRUE(Saw(hw::kWindow, 10));
    EXPECT_PIXEL(750, 50, 0, 0, 255, 0);
    SetProperty(hw::kWindow, hw::kWindow, 5, 0);
    EXPECT_TRUE(Saw(hw::kWindow, 11));
}

TEST_F(Frame, OpacityMakesTheWindowExactlyLayered) {
    ASSERT_TRUE(LoadWindow(hw::kWindow, Handle(tw::kWindow, tw::kWindow)));
    HWND window = Handle(hw::kWindow, hw::kWindow);
    SetWindowLongW(window, GWL_EXSTYLE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    EXPECT_NE(SetOpacity(window, 220), 0);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)) & ~WS_EX_TOPMOST,
              static_cast<DWORD>(WS_EX_LAYERED));
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 220);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    SetOpacity(window, 300);
    GetLayeredWindowAttributes(window, nullptr, &alpha, &flags);
    EXPECT_EQ(alpha, 255);
}

TEST_F(Frame, MisusesAreFatal) {
    EXPECT_FATAL(GetProperty(0x5200FFFF, 1, 0), "未载入欲访问窗口组件所在的窗口");
    EXPECT_FATAL(SetProperty(tw::kWindow, 999, 0, 1), "指定窗口或窗口组件不存在或尚未载入");
    EXPECT_FATAL(GetWindowHandle(tw::kWindow, 999), "指定窗口或窗口组件不存在或尚未载入");
    EXPECT_FATAL(SetProperty(tw::kWindow, tw::kFitted, 11, Text("2")), "欲转换数据类型不是数值");
    EXPECT_FATAL(SetProperty(tw::kWindow, tw::kFitted, 99, 1), "数组成员引用下标超出定义范围");
    EXPECT_FATAL(RaiseEvent(0x5200FFFF, 1, -1), "未找到引发事件的窗口");
    EXPECT_FATAL(RaiseEvent(tw::kWindow, 999, -1), "未找到引发事件的窗口组件");
}

VOID CALLBACK CloseHiddenWindow(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND window = GetWindowHandle(hw::kWindow, hw::kWindow);
    // While the modal loop runs, its owner takes no input.
    EXPECT_FALSE(IsWindowEnabled(GetWindowHandle(tw::kWindow, tw::kWindow)));
    SendMessageW(window, WM_CLOSE, 0, 0);
}

// Last two: the hidden window is closed for good.
TEST_F(Frame, ModalWindowRunsItsOwnLoopUntilItIsGone) {
    if (LoadedWindow* loaded = FindLoadedWindow(hw::kWindow); loaded && loaded->alive())
        SendMessageW(loaded->handle(), WM_CLOSE, 0, 0);
    SetTimer(nullptr, 0, 200, CloseHiddenWindow);
    DWORD start = GetTickCount();
    ASSERT_TRUE(LoadWindow(hw::kWindow, Handle(tw::kWindow, tw::kWindow), true));
    EXPECT_GE(GetTickCount() - start, 150u);  // returned only when the timer closed it
    EXPECT_FALSE(FindLoadedWindow(hw::kWindow)->alive());
    EXPECT_TRUE(IsWindowEnabled(Handle(tw::kWindow, tw::kWindow)));
    // Loaded again afterwards: a new window of the same description.
    ASSERT_TRUE(LoadWindow(hw::kWindow, Handle(tw::kWindow, tw::kWindow)));
    EXPECT_TRUE(IsWindow(Handle(hw::kWindow, hw::kWindow)));
}

TEST_F(Frame, DestroyedWindowKeepsCommonValuesOnly) {
    ASSERT_TRUE(LoadWindow(hw::kWindow, Handle(tw::kWindow, tw::kWindow)));
    HWND window = Handle(hw::kWindow, hw::kWindow);
    SendMessageW(window, WM_CLOSE, 0, 0);  // no handler refuses: it goes
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(GetNumberProperty(hw::kWindow, hw::kHiddenBox, 2), 200);
    EXPECT_FATAL(GetProperty(hw::kWindow, hw::kHiddenBox, 9), "读取组件属性时发现指定窗口尚未载入");
    EXPECT_FATAL(SetProperty(hw::kWindow, hw::kHiddenBox, 9, 0), "修改组件属性时发现指定窗口尚未载入");
    EXPECT_FATAL(GetWindowHandle(hw::kWindow, hw::kHiddenBox), "指定窗口或窗口组件不存在或尚未载入");
    // The test window is still there, so the loop goes on.
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

}  // namespace

// The handlers the test layout binds.
EventResult OnTestCreated(const EventArgs& args) { return Record(args); }
EventResult OnMoved(const EventArgs& args) { return Record(args); }
EventResult OnResized(const EventArgs& args) { return Record(args); }
EventResult OnShown(const EventArgs& args) { return Record(args); }
EventResult OnHidden(const EventArgs& args) { return Record(args); }
EventResult OnDestroying(const EventArgs& args) { return Record(args); }
EventResult OnBackgroundPressed(const EventArgs& args) { return Record(args); }
EventResult OnPagePressed(const EventArgs& args) { return Record(args); }
EventResult OnButtonClicked(const EventArgs& args) { return Record(args); }
EventResult OnCheckClicked(const EventArgs& args) { return Record(args); }
EventResult OnCloseClicked(const EventArgs& args) { return Record(args); }
EventResult OnCloseQuery(const EventArgs& args) {
    Record(args);
    return closeAnswer;
}
EventResult OnCloseRequested(const EventArgs& args) {
    Record(args);
    return closeAnswer;
}
EventResult OnUserEvent(const EventArgs& args) {
    Record(args);
    return args.values[0] + args.values[1];
}

DeclaredFunctionCache& ProgramDeclaredFunctions() {
    static DeclaredFunctionCache cache({});
    return cache;
}
