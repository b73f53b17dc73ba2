#include "installer/uninstall_mode.h"

#include <windows.h>

#include "controls/window_operations.h"
#include "frame/core/event.h"
#include "frame/core/layout_properties.h"
#include "frame/frame.h"
#include "installer/admin_checks.h"
#include "installer/core/install_folder.h"
#include "installer/install_folder.h"
#include "installer/start_up.h"
#include "installer/uninstall_files.h"
#include "layout_ids.h"
#include "services/core/paths.h"
#include "services/files.h"
#include "services/program.h"
#include "services/shell.h"
#include "window/notice_strip.h"
#include "window/pumping_wait.h"

namespace mw = layout::main_window;

namespace {

// The installation this uninstaller belongs to is the folder it lies in;
// the script deletes that folder whole, so it must be an installation.
Text OwnInstallation() { return InstallFolderText(GetProgramDir()); }

// A copy run from a Downloads folder that holds a client and an uninstaller
// must not take that folder for an installation: the folder's own checks
// come first.
bool IsOwnFolderAnInstallation() {
    Text folder = OwnInstallation();
    return AcceptedInstallFolder(folder) && IsProductInstallation(ExamineFolder(folder));
}

// Writes the script beside the program and starts it hidden.
QuietUninstallResult StartUninstallScript() {
    Text script = JoinPath(OwnInstallation(), "Uninstall.bat");
    if (!WriteUninstallScript(script)) return kScriptNotWritten;
    return ShellRun(kVerbOpen, script, {}, {}, kShowHidden) > 32 ? kUninstallStarted : kScriptNotStarted;
}

}  // namespace

void RunQuietUninstall() {
    // The script's "rd /s" would follow a link: the folder's links go first.
    QuietUninstallResult result = !IsAdministrator()                      ? kNoAdministratorRights
                                  : !IsOwnFolderAnInstallation()          ? kNotAnInstallation
                                  : !RemoveLinksInside(OwnInstallation()) ? kLinkStays
                                                                          : StartUninstallScript();
    ShutDown(result);
    ExitProcess(static_cast<UINT>(result));  // not reached: ShutDown ends the process
}

EventResult OnUninstallClicked(const EventArgs&) {
    if (!IsAdministrator()) {
        ShowNotice("请以管理员身份运行此程序", 2, 10);
        return std::nullopt;
    }
    if (!IsOwnFolderAnInstallation()) {
        ShowNotice("此目录不是 Tavrin 的安装目录，未做任何更改", 2, 10);
        return std::nullopt;
    }
    if (!RemoveLinksInside(OwnInstallation())) {  // the script's "rd /s" would follow it
        ShowNotice("安装目录中有无法删除的链接，已停止卸载", 2, 10);
        return std::nullopt;
    }
    ShowNotice("正在卸载", 2, 100);
    SetProperty(mw::kWindow, mw::kUninstallButton, kVisible, 0);
    WaitPumping(1000);
    StartUninstallScript();
    EndProgram();
    return std::nullopt;
}
