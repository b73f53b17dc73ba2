// From the start of the process to the main window waiting for the user,
// and the end.
#include "installer/start_up.h"

#include <windows.h>
#include <shellapi.h>

#include "controls/tab_control.h"
#include "controls/window_operations.h"
#include "frame/core/event.h"
#include "frame/frame.h"
#include "installer/admin_checks.h"
#include "installer/core/start_mode.h"
#include "installer/elevation.h"
#include "installer/program_state.h"
#include "installer/single_instance.h"
#include "installer/uninstall_mode.h"
#include "installer/update_info.h"
#include "layout_ids.h"
#include "services/codepage.h"
#include "services/program.h"
#include "services/threads.h"
#include "window/folder_chooser.h"
#include "window/pumping_wait.h"
#include "window/shadow.h"
#include "window/window_behaviour.h"

namespace mw = layout::main_window;

namespace {

constexpr int kCurrentPage = OwnProperty(TabControl::kCurrentPage);
constexpr int kUninstallPage = 2;

// The command line after the program's own name.
Text ProgramArguments() {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    Text arguments;
    for (int i = 1; words && i < count; ++i) arguments += (i > 1 ? " " : "") + FromWideText(words[i]);
    LocalFree(words);
    return arguments;
}

StartMode ThisStartMode() { return StartModeOf(GetProgramFileName(), ProgramArguments()); }

void LoadCompanionWindows() {
    HWND main = GetWindowHandle(mw::kWindow, mw::kWindow);
    for (std::uint32_t window :
         {layout::options_panel::kWindow, layout::installation_window::kWindow, layout::status_strip::kWindow})
        LoadWindow(window, main);
}

}  // namespace

void EnterInstaller() {
    CreateInstallerState();
    RecordSystemVersion();  // the folder chooser's; its code page is always 936
    // "卸载.exe /S" is run unattended: it ends here, before any window.
    if (ThisStartMode() == StartMode::QuietUninstall) RunQuietUninstall();
}

namespace {

// How long the end waits for the engine to let go of the client file. A
// stop takes moments; a connection stuck in the system (a name look-up)
// could hold the task for its whole StopTimeout, and then the file is left
// for the next run, which takes it as its own.
constexpr int kTaskEndMs = 1500;

DWORD WINAPI StopDownloadThread(void*) {
    StopDownloadTask();
    return 0;
}

}  // namespace

void EndProgram() {
    InstallerState& state = Installer();
    state.ending = true;
    HideAllWindows();
    StartThread(StopDownloadThread);
    for (int waited = 0; waited < kTaskEndMs && !state.taskOver.load(); waited += 10) WaitPumping(10);
    state.record.TakeBack();  // nothing when the installation is complete
    ShutDown(0);
}

// The main window exists and is shown: the rest of the start-up.
EventResult OnMainWindowCreated(const EventArgs&) {
    HWND main = GetWindowHandle(mw::kWindow, mw::kWindow);
    if (!IsElevated()) {
        RelaunchElevated();
        ShutDown(0);
        return std::nullopt;
    }
    // A second start brings this window forward and ends.
    GuardSingleInstance(main, "tavrin_install");
    ShadowRegisterClass();
    ShadowAttach(main, &Installer().mainWindowShadow);
    ReadUpdateInfo();
    SetProperty(mw::kWindow, mw::kInstallBanner, kLeft, 8);
    SetProperty(mw::kWindow, mw::kInstallBanner, kTop, 39);
    SetProperty(mw::kWindow, mw::kInstallBanner, kWidth, 1008);
    SetProperty(mw::kWindow, mw::kInstallBanner, kHeight, 672);
    LoadCompanionWindows();
    if (ThisStartMode() != StartMode::Install) SetProperty(mw::kWindow, mw::kPages, kCurrentPage, kUninstallPage);
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
