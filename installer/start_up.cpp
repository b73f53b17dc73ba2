// From the start of the process to the main window waiting for the user,
// and the end.
#include "installer/start_up.h"

#include <windows.h>

#include "controls/tab_control.h"
#include "controls/window_operations.h"
#include "frame/core/event.h"
#include "frame/frame.h"
#include "layout_ids.h"
#include "services/program.h"
#include "services/core/text.h"
#include "window/folder_chooser.h"
#include "window/shadow.h"

namespace mw = layout::main_window;

namespace {

constexpr int kCurrentPage = OwnProperty(TabControl::kCurrentPage);
constexpr int kUninstallPage = 2;

// The main window's drop shadow, read by the shadow module while the window lives.
ShadowInfo mainWindowShadow{MakeArgb(0, 0, 0, 50), 30.0f, 1, 1, 0, nullptr};

void LoadCompanionWindows() {
    HWND main = GetWindowHandle(mw::kWindow, mw::kWindow);
    for (std::uint32_t window :
         {layout::options_panel::kWindow, layout::installation_window::kWindow, layout::status_strip::kWindow})
        LoadWindow(window, main);
}

}  // namespace

void EnterInstaller() { RecordSystemVersion(); }

void EndProgram() { ShutDown(0); }

// The main window exists and is shown: the rest of the start-up.
EventResult OnMainWindowCreated(const EventArgs&) {
    ShadowRegisterClass();
    ShadowAttach(GetWindowHandle(mw::kWindow, mw::kWindow), &mainWindowShadow);
    SetProperty(mw::kWindow, mw::kInstallBanner, kLeft, 8);
    SetProperty(mw::kWindow, mw::kInstallBanner, kTop, 39);
    SetProperty(mw::kWindow, mw::kInstallBanner, kWidth, 1008);
    SetProperty(mw::kWindow, mw::kInstallBanner, kHeight, 672);
    LoadCompanionWindows();
    // The copy an installation leaves behind is named "卸载.exe": it uninstalls.
    if (FindText(GetProgramFileName(), "卸载") != -1)
        SetProperty(mw::kWindow, mw::kPages, kCurrentPage, kUninstallPage);
    SetProcessDPIAware();
    return std::nullopt;
}

EventResult OnCloseClicked(const EventArgs&) {
    EndProgram();
    return std::nullopt;
}

// The system's close request ends the program; the window never closes by itself.
EventResult OnMainWindowCloseQuery(const EventArgs&) {
    EndProgram();
    return 0;
}
