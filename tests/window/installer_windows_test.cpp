// The installer's four windows under Wine: what the main window shows, the
// options panel and its options, the companions following the main window
// (dragged with real input), the notice strip and the folder chooser.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/thread_count.h"

#include <atomic>
#include <string>
#include <thread>

#include "controls/window_operations.h"
#include "frame/frame.h"
#include "controls/skinned_button.h"
#include "installer/animation.h"
#include "installer/program_state.h"
#include "installer/start_up.h"
#include "services/threads.h"
#include "layout_ids.h"
#include "services/codepage.h"
#include "tests/support/screen_capture.h"
#include "window/folder_chooser.h"
#include "window/notice_strip.h"
#include "window/pumping_wait.h"
#include "window/window_behaviour.h"

namespace mw = layout::main_window;
namespace op = layout::options_panel;
namespace ss = layout::status_strip;
namespace iw = layout::installation_window;

namespace {

constexpr int kLeft = 0, kTop = 1, kVisible = 5;

constexpr Rgb kSkin{24, 26, 33}, kField{35, 37, 44}, kAccent{250, 200, 101};

void Settle(int ms = 150) { WaitPumping(ms, 0); }

RECT WindowBox(std::uint32_t window) {
    RECT box;
    GetWindowRect(GetWindowHandle(window, window), &box);
    return box;
}

POINT MainCorner() {
    RECT box = WindowBox(mw::kWindow);
    return {box.left, box.top};
}

// A program of the host (xdotool): Wine starts Unix programs too.
void Xdotool(const std::string& arguments) {
    std::wstring command = L"Z:\\usr\\bin\\xdotool " + ToWideText(arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        << "xdotool " << arguments;
    // Input it makes is handled on this thread: keep pumping while it works.
    // (A Unix program's process handle does not tell when it ends, so the
    // gesture gets a fixed time.)
    for (DWORD start = GetTickCount(); GetTickCount() - start < 3000;) {
        if (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) break;
        PumpMessages();
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

bool StripVisible() { return GetNumberProperty(ss::kWindow, ss::kWindow, kVisible) != 0; }

// Waits (pumping) until the strip is hidden; the seconds it took, or -1.
double SecondsUntilStripHidden(double limit) {
    DWORD start = GetTickCount();
    while (StripVisible()) {
        if ((GetTickCount() - start) / 1000.0 > limit) return -1;
        WaitPumping(20, 0);
    }
    return (GetTickCount() - start) / 1000.0;
}

// The drop shadow window of `owner`, if it has one shown.
struct ShadowSearch {
    HWND owner, found;
};
BOOL CALLBACK FindShadow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<ShadowSearch*>(context);
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (std::wstring(name) == L"z3105Shadow" && GetWindow(window, GW_OWNER) == search->owner) search->found = window;
    return TRUE;
}
bool HasShadow(HWND owner) {
    ShadowSearch search{owner, nullptr};
    EnumWindows(FindShadow, reinterpret_cast<LPARAM>(&search));
    return search.found && IsWindow(search.found);
}

class InstallerWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        StartFrame();
        EnterInstaller();
        ASSERT_TRUE(LoadWindow(mw::kWindow));
        Settle(500);
    }
};

TEST_F(InstallerWindows, StartsWithTheMainWindowCentredAndItsCompanionsHidden) {
    RECT main = WindowBox(mw::kWindow);
    EXPECT_EQ(main.right - main.left, 1215);
    EXPECT_EQ(main.bottom - main.top, 750);
    EXPECT_EQ(main.left, (GetSystemMetrics(SM_CXSCREEN) - 1215) / 2);
    EXPECT_EQ(main.top, (GetSystemMetrics(SM_CYSCREEN) - 750) / 2);
    HWND mainHandle = GetWindowHandle(mw::kWindow, mw::kWindow);
    for (std::uint32_t companion : {op::kWindow, ss::kWindow, iw::kWindow}) {
        HWND handle = GetWindowHandle(companion, companion);
        EXPECT_FALSE(IsWindowVisible(handle));
        EXPECT_EQ(GetWindow(handle, GW_OWNER), mainHandle);
    }
    EXPECT_EQ(GetNumberProperty(mw::kWindow, mw::kPages, 12), 0);  // not named 卸载: the install page
    EXPECT_TRUE(HasShadow(mainHandle));
    wchar_t title[64] = {};
    GetWindowTextW(mainHandle, title, 64);
    EXPECT_EQ(FromWideText(title), "Ostry 安装卸载程序");
    EXPECT_TRUE(SendMessageW(mainHandle, WM_GETICON, ICON_BIG, 0));
    SaveScreen(L"installer_install_page.bmp", WindowBox(mw::kWindow));
}

TEST_F(InstallerWindows, BannerAndIconAreFittedInTheirBoxes) {
    POINT at = MainCorner();
    // The banner box at 8, 39 on the tab (11, 11): 1429 x 885 drawn at
    // 1008 x 624, 24 pixels down. Its accent rule (116..236, 392..398 in the
    // picture) lands at x 100..185, y 350..355 of the window.
    double scale = 1008.0 / 1429;
    int ruleTop = at.y + 11 + 39 + 24 + static_cast<int>(392 * scale);
    EXPECT_TRUE(ScreenPixel(at.x + 140, ruleTop + 2).Near(kAccent, 12)) << ScreenPixel(at.x + 140, ruleTop + 2);
    EXPECT_FALSE(ScreenPixel(at.x + 140, ruleTop - 3).Near(kAccent, 60));
    EXPECT_FALSE(ScreenPixel(at.x + 140, ruleTop + 8).Near(kAccent, 60));
    // The icon: 200 x 200 centred in its 272 x 200 box at 769, 240 on the
    // tab; its rounded face spans 9..191 of that.
    int iconLeft = at.x + 11 + 769 + 36, iconTop = at.y + 11 + 240;
    Rgb face = ScreenPixel(iconLeft + 100, iconTop + 30);
    EXPECT_GT(face.r, 220);
    EXPECT_LT(face.b, 170);
    EXPECT_TRUE(ScreenPixel(iconLeft + 4, iconTop + 100).Near(kSkin, 2));
    EXPECT_FALSE(ScreenPixel(iconLeft + 14, iconTop + 100).Near(kSkin, 30));
    EXPECT_FALSE(ScreenPixel(iconLeft + 186, iconTop + 100).Near(kSkin, 30));
    EXPECT_TRUE(ScreenPixel(iconLeft + 196, iconTop + 100).Near(kSkin, 2));
    // The close button's bright cross.
    Rgb cross = ScreenPixel(at.x + 1168 + 16, at.y + 16 + 16);
    EXPECT_GT(cross.r, 180);
}

TEST_F(InstallerWindows, OptionsPanelOpensOverTheBottomAndClosesAgain) {
    HWND panel = GetWindowHandle(op::kWindow, op::kWindow);
    SendMessageW(GetWindowHandle(mw::kWindow, mw::kOptionsButton), BM_CLICK, 0, 0);
    Settle();
    EXPECT_TRUE(IsWindowVisible(panel));
    EXPECT_FALSE(IsWindowVisible(GetWindowHandle(mw::kWindow, mw::kOptionsButton)));
    EXPECT_FALSE(IsWindowVisible(GetWindowHandle(mw::kWindow, mw::kOptionsChevron)));
    RECT main = WindowBox(mw::kWindow), box = WindowBox(op::kWindow);
    EXPECT_EQ(box.left, main.left);
    EXPECT_EQ(box.bottom, main.bottom);
    // Layered at 220 of 255, and with its shadow while shown.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(panel, GWL_EXSTYLE)), static_cast<DWORD>(WS_EX_LAYERED));
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(panel, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 220);
    EXPECT_TRUE(HasShadow(panel));
    SaveScreen(L"installer_options_panel.bmp", WindowBox(mw::kWindow));
    // The folder field, its default folder and the option marks.
    EXPECT_TRUE(ScreenPixel(box.left + 26 + 5, box.top + 74 + 3).Near(kField, 2));
    EXPECT_EQ(GetTextProperty(op::kWindow, op::kFolderEdit, 8), kDefaultInstallFolder);
    EXPECT_TRUE(ScreenPixel(box.left + 34 + 10, box.top + 198 + 10).Near(kAccent, 2))
        << ScreenPixel(box.left + 34 + 10, box.top + 198 + 10) << " frame edge "
        << ScreenPixel(box.left + 34, box.top + 198 + 10) << " button " << ScreenPixel(box.left + 100, box.top + 200);
    // The panel's chevron closes it and brings the main window's button back.
    SendMessageW(GetWindowHandle(op::kWindow, op::kCloseChevron), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    Settle();
    EXPECT_FALSE(IsWindowVisible(panel));
    EXPECT_FALSE(HasShadow(panel));
    EXPECT_TRUE(IsWindowVisible(GetWindowHandle(mw::kWindow, mw::kOptionsButton)));
    EXPECT_TRUE(IsWindowVisible(GetWindowHandle(mw::kWindow, mw::kOptionsChevron)));
    // And its own button likewise.
    SendMessageW(GetWindowHandle(mw::kWindow, mw::kOptionsChevron), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_TRUE(IsWindowVisible(panel));
    SendMessageW(GetWindowHandle(op::kWindow, op::kOptionsButton), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowVisible(panel));
}

TEST_F(InstallerWindows, EachPartOfAnOptionTogglesItOnce) {
    struct Option {
        std::uint32_t frame, mark, button;
    } options[] = {{op::kDesktopFrame, op::kDesktopMark, op::kDesktopButton},
                   {op::kStartMenuFrame, op::kStartMenuMark, op::kStartMenuButton}};
    for (const Option& option : options) {
        auto state = [&] {
            bool mark = GetNumberProperty(op::kWindow, option.mark, kVisible) != 0;
            bool checked = GetNumberProperty(op::kWindow, option.button, 10) != 0;
            std::int32_t outline = GetNumberProperty(op::kWindow, option.frame, 13);
            EXPECT_EQ(mark, checked);
            EXPECT_EQ(outline, mark ? (250 | 200 << 8 | 101 << 16) : 0x808080);
            return mark;
        };
        EXPECT_TRUE(state());  // both start on
        SendMessageW(GetWindowHandle(op::kWindow, option.frame), WM_LBUTTONDOWN, MK_LBUTTON, 0);
        EXPECT_FALSE(state());
        SendMessageW(GetWindowHandle(op::kWindow, option.mark), WM_LBUTTONDOWN, MK_LBUTTON, 0);
        EXPECT_TRUE(state());
        SendMessageW(GetWindowHandle(op::kWindow, option.button), BM_CLICK, 0, 0);
        EXPECT_FALSE(state());
        SendMessageW(GetWindowHandle(op::kWindow, option.button), BM_CLICK, 0, 0);
        EXPECT_TRUE(state());
    }
}

TEST_F(InstallerWindows, DraggingTheMainWindowMovesItsCompanions) {
    ShowOptionsPanel(true);
    Settle();
    POINT before = MainCorner();
    // Press on the background beside the logo, move, let go.
    // One xdotool run for the whole gesture: the move loop that the press
    // starts runs on this thread until the button is let go.
    int x = before.x + 600, y = before.y + 30;
    std::string gesture = "mousemove " + std::to_string(x) + " " + std::to_string(y) + " mousedown 1";
    for (int step = 1; step <= 8; ++step)
        gesture += " sleep 0.05 mousemove " + std::to_string(x - 10 * step) + " " + std::to_string(y + 5 * step);
    Xdotool(gesture + " sleep 0.1 mouseup 1");
    Settle(300);
    POINT after = MainCorner();
    EXPECT_EQ(after.x, before.x - 80);
    EXPECT_EQ(after.y, before.y + 40);
    RECT main = WindowBox(mw::kWindow), panel = WindowBox(op::kWindow), strip = WindowBox(ss::kWindow),
         installation = WindowBox(iw::kWindow);
    EXPECT_EQ(panel.left, main.left);
    EXPECT_EQ(panel.bottom, main.bottom);
    EXPECT_EQ(strip.left, main.left);  // hidden, and placed all the same
    EXPECT_EQ(strip.top, main.top);
    EXPECT_EQ(installation.left, main.left + (1215 - 729) / 2);
    EXPECT_EQ(installation.top, main.top + (750 - 450) / 2);
    ShowOptionsPanel(false);
    Settle();
}

TEST_F(InstallerWindows, NoticeColoursByKind) {
    struct Case {
        int kind;
        Rgb colour;
    } cases[] = {
        {0, {69, 185, 124}}, {1, {196, 66, 52}}, {2, {250, 167, 85}}, {3, {250, 167, 85}}, {5, {250, 167, 85}}};
    for (const Case& c : cases) {
        ShowNotice("正在安装文件", c.kind, 1);
        Settle(200);
        RECT strip = WindowBox(ss::kWindow), main = WindowBox(mw::kWindow);
        EXPECT_EQ(strip.left, main.left);
        EXPECT_EQ(strip.top, main.top);
        EXPECT_TRUE(ScreenPixel(strip.left + 40, strip.top + 33).Near(c.colour, 0))
            << c.kind << ": " << ScreenPixel(strip.left + 40, strip.top + 33);
        EXPECT_EQ(GetNumberProperty(ss::kWindow, ss::kText, 17), static_cast<std::int32_t>(NoticeColour(c.kind)));
        std::wstring name = L"installer_notice_kind_" + std::to_wstring(c.kind) + L".bmp";
        RECT top = WindowBox(mw::kWindow);
        top.bottom = top.top + 120;
        SaveScreen(name.c_str(), top);
        ASSERT_GT(SecondsUntilStripHidden(20), 0);
    }
}

TEST_F(InstallerWindows, NoticeCountsDownAndHides) {
    ShowNotice("准备下载文件中", 2, 10);
    EXPECT_TRUE(StripVisible());
    EXPECT_EQ(GetTextProperty(ss::kWindow, ss::kText, 8), "准备下载文件中");
    EXPECT_GT(GetNumberProperty(ss::kWindow, ss::kCountdownBar, 2), 900);
    // 820 hundredths of a second at a pixel each, then 60 at three.
    double seconds = SecondsUntilStripHidden(40);
    EXPECT_GE(seconds, 8.7);
    EXPECT_LT(seconds, 40);
    EXPECT_LE(GetNumberProperty(ss::kWindow, ss::kCountdownBar, 2), 0);

    DWORD shown = GetTickCount();
    ShowNotice("复制成功", 0, 0);  // 0 seconds are 3
    EXPECT_LE(GetNumberProperty(ss::kWindow, ss::kCountdownBar, 2), 300);
    EXPECT_GT(GetNumberProperty(ss::kWindow, ss::kCountdownBar, 2), 250);
    // Over its last 180 pixels the strip fades: opacity = width + 75.
    HWND strip = GetWindowHandle(ss::kWindow, ss::kWindow);
    BYTE alpha = 0;
    GetLayeredWindowAttributes(strip, nullptr, &alpha, nullptr);
    EXPECT_EQ(alpha, 255);
    while (StripVisible() && GetNumberProperty(ss::kWindow, ss::kCountdownBar, 2) > 120) WaitPumping(10, 0);
    WaitPumping(30, 0);
    GetLayeredWindowAttributes(strip, nullptr, &alpha, nullptr);
    EXPECT_LT(alpha, 200);
    EXPECT_GE(alpha, 75);
    ASSERT_GT(SecondsUntilStripHidden(20), 0);
    seconds = (GetTickCount() - shown) / 1000.0;
    EXPECT_GE(seconds, 1.8);
    EXPECT_LT(seconds, 20);
}

// A window thread that answers the countdown's property calls late (busy
// painting, or under a loaded machine) leaves a notice its seconds: the
// countdown once lost a pixel a tick, and each tick waited for five answers.
TEST_F(InstallerWindows, ANoticeStaysItsSecondsWhileTheWindowThreadIsSlow) {
    ShowNotice("获取下载文件失败，请尝试重启软件解决问题", 3, 2);
    DWORD shown = GetTickCount();
    while (StripVisible() && GetTickCount() - shown < 30000) {
        Sleep(40);
        PumpMessages();
    }
    // 20 hundredths at a pixel, then 180 at three: 0.8 s, and one late tick.
    double seconds = (GetTickCount() - shown) / 1000.0;
    EXPECT_GE(seconds, 0.7);
    EXPECT_LT(seconds, 6);
}

TEST_F(InstallerWindows, SecondNoticeResetsTheStripWithoutASecondThread) {
    ShowNotice("第一条", 2, 10);
    Settle(500);
    int threads = ThreadCount();
    EXPECT_LT(GetNumberProperty(ss::kWindow, ss::kCountdownBar, 2), 1000);
    ShowNotice("第二条", 0, 5);
    EXPECT_EQ(GetTextProperty(ss::kWindow, ss::kText, 8), "第二条");
    EXPECT_EQ(GetNumberProperty(ss::kWindow, ss::kBackground, 9), static_cast<std::int32_t>(NoticeColour(0)));
    EXPECT_GT(GetNumberProperty(ss::kWindow, ss::kCountdownBar, 2), 450);
    Settle(300);
    EXPECT_EQ(ThreadCount(), threads);
    ASSERT_GT(SecondsUntilStripHidden(30), 0);
}

TEST_F(InstallerWindows, NoticeFromAWorkerThreadAndWhileTheMainWindowIsHidden) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        ShowNotice("下载中 50%", 3, 1);
        done = true;
    });
    while (!done) WaitPumping(10, 0);
    worker.join();
    EXPECT_TRUE(StripVisible());
    ASSERT_GT(SecondsUntilStripHidden(20), 0);

    SetProperty(mw::kWindow, mw::kWindow, kVisible, 0);
    ShowNotice("看不见", 2, 3);
    EXPECT_FALSE(StripVisible());
    EXPECT_NE(GetTextProperty(ss::kWindow, ss::kText, 8), "看不见");
    SetProperty(mw::kWindow, mw::kWindow, kVisible, 1);
    Settle();
}

TEST_F(InstallerWindows, InstallationWindowShowsCentredWithItsShadow) {
    HWND window = GetWindowHandle(iw::kWindow, iw::kWindow);
    SetProperty(iw::kWindow, iw::kWindow, kVisible, 1);
    Settle(300);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(HasShadow(window));
    RECT box = WindowBox(iw::kWindow), main = WindowBox(mw::kWindow);
    EXPECT_EQ(box.left, main.left + (1215 - 729) / 2);
    EXPECT_EQ(box.top, main.top + (750 - 450) / 2);
    // Rule lines, a placeholder block and the skin between them.
    EXPECT_TRUE(ScreenPixel(box.left + 100, box.top + 1).Near({48, 49, 56}, 0));
    EXPECT_TRUE(ScreenPixel(box.left + 193, box.top + 200).Near({48, 49, 56}, 0));
    EXPECT_TRUE(ScreenPixel(box.left + 24 + 70, box.top + 32 + 16).Near({58, 60, 66}, 0));
    EXPECT_TRUE(ScreenPixel(box.left + 100, box.top + 250).Near(kSkin, 0));
    SaveScreen(L"installer_installation_window.bmp", main);
    SetProperty(iw::kWindow, iw::kWindow, kVisible, 0);
    Settle();
    EXPECT_FALSE(HasShadow(window));
}

// The animation takes every element to nothing and grows it back, then the
// shortcut step runs on this thread: the window glows, the pending flag drops.
TEST_F(InstallerWindows, AnimationGrowsEveryElementBackThenTheShortcutStepRuns) {
    HWND window = GetWindowHandle(iw::kWindow, iw::kWindow);
    SetProperty(iw::kWindow, iw::kWindow, kVisible, 1);
    Settle(300);
    for (ShortcutOption option : {ShortcutOption::Desktop, ShortcutOption::StartMenu})
        if (GetNumberProperty(op::kWindow,
                              option == ShortcutOption::Desktop ? op::kDesktopButton : op::kStartMenuButton,
                              OwnProperty(SkinnedButton::kChecked)) == 1)
            ToggleShortcutOption(option);  // no links from this test
    KernelHandle thread;
    ASSERT_TRUE(StartThread(AnimateInstallWindow, nullptr, &thread));
    Settle(300);
    EXPECT_EQ(Installer().shortcutStepPending.load(), 1);
    EXPECT_EQ(GetNumberProperty(iw::kWindow, iw::kCardBelow, kWidth), 0);  // not grown yet
    for (int waited = 0; waited < 30000 && Installer().shortcutStepPending.load() != 0; waited += 100) Settle(100);
    EXPECT_EQ(Installer().shortcutStepPending.load(), 0);
    Settle(300);
    RECT box = WindowBox(iw::kWindow);
    SaveScreen(L"installer_animation_done.bmp", box);
    EXPECT_TRUE(ScreenPixel(box.left + 100, box.top + 1).Near({48, 49, 56}, 0))
        << ScreenPixel(box.left + 100, box.top + 1);
    EXPECT_TRUE(ScreenPixel(box.left + 193, box.top + 200).Near({48, 49, 56}, 0));
    EXPECT_TRUE(ScreenPixel(box.left + 24 + 70, box.top + 32 + 16).Near({58, 60, 66}, 0));
    EXPECT_TRUE(ScreenPixel(box.left + 216 + 230, box.top + 176 + 50).Near({58, 60, 66}, 0));
    EXPECT_EQ(GetNumberProperty(iw::kWindow, iw::kCardBelow, kWidth), 240);
    EXPECT_TRUE(HasShadow(window));
    SetProperty(iw::kWindow, iw::kWindow, kVisible, 0);
    Settle();
}

// The folder dialog, answered from another thread as a user would.
HWND WaitForDialog(DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        if (HWND dialog = FindWindowW(nullptr, L"选择安装路径")) return dialog;
        Sleep(50);
    }
    return nullptr;
}

BOOL CALLBACK TypeIntoEdit(HWND child, LPARAM text) {
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    if (std::wstring(name) == L"Edit" && IsWindowVisible(child)) {
        SetWindowTextW(child, reinterpret_cast<const wchar_t*>(text));
        return FALSE;
    }
    return TRUE;
}

TEST_F(InstallerWindows, FolderChooserCancelledGivesTheDefaultFolder) {
    ASSERT_GE(SystemVersion(), 0x0600u);
    SetProperty(op::kWindow, op::kFolderEdit, 8, Text("D:\\别处"));
    std::atomic<bool> seen{false};
    std::thread user([&] {
        HWND dialog = WaitForDialog(20000);
        seen = dialog != nullptr;
        if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    SendMessageW(GetWindowHandle(op::kWindow, op::kFolderIcon), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    user.join();
    EXPECT_TRUE(seen);
    EXPECT_EQ(GetTextProperty(op::kWindow, op::kFolderEdit, 8), kDefaultInstallFolder);
}

TEST_F(InstallerWindows, FolderChooserTypedFolderLandsInTheField) {
    CreateDirectoryW(L"C:\\选中的文件夹", nullptr);
    std::atomic<bool> seen{false};
    std::thread user([&] {
        HWND dialog = WaitForDialog(20000);
        seen = dialog != nullptr;
        if (!dialog) return;
        Sleep(300);
        EnumChildWindows(dialog, TypeIntoEdit, reinterpret_cast<LPARAM>(L"C:\\选中的文件夹"));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(GetWindowHandle(op::kWindow, op::kFolderIcon), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    user.join();
    EXPECT_TRUE(seen);
    EXPECT_EQ(GetTextProperty(op::kWindow, op::kFolderEdit, 8), "C:\\选中的文件夹");
}

}  // namespace
