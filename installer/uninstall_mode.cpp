#include "installer/uninstall_mode.h"

#include <windows.h>

#include <optional>
#include <string>

#include "controls/window_operations.h"
#include "frame/core/event.h"
#include "frame/core/layout_properties.h"
#include "frame/frame.h"
#include "installer/admin_checks.h"
#include "installer/core/install_folder.h"
#include "installer/core/registration.h"
#include "installer/install_folder.h"
#include "installer/shortcuts.h"
#include "installer/start_up.h"
#include "installer/uninstall_files.h"
#include "layout_ids.h"
#include "services/codepage.h"
#include "services/core/paths.h"
#include "services/files.h"
#include "services/program.h"
#include "services/registry.h"
#include "services/script_run.h"
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

// Writes the script beside the program and starts it hidden, apart from the
// program's input and outside the folder it deletes.
std::optional<KernelHandle> StartUninstallScript(QuietUninstallResult& result) {
    Text script = JoinPath(OwnInstallation(), "Uninstall.bat");
    WorkInSystemFolder();  // the program starts in its own folder, which the script deletes
    if (!WriteUninstallScript(script)) {
        result = kScriptNotWritten;
        return std::nullopt;
    }
    std::optional<KernelHandle> process = StartCommandScript(script);
    if (!process) result = kScriptNotStarted;
    return process;
}

// Windows lets no one delete a running program's file, but lets it be moved
// within its drive: the uninstaller that waits for the script steps out of
// the folder the script deletes, and is deleted at the next start of
// Windows. It goes back when the uninstallation does not complete, as the
// registration still points at it.
class SteppedOut {
public:
    SteppedOut() : home_(ToWideText(GetProgramDir() + "\\" + GetProgramFileName())) {
        std::wstring name = L"tavrin-uninstall-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
        wchar_t temp[MAX_PATH + 1] = {};
        DWORD length = GetTempPathW(MAX_PATH + 1, temp);
        std::wstring parent = home_.substr(0, home_.find_last_of(L'\\'));
        parent = parent.substr(0, parent.find_last_of(L'\\') + 1);
        for (const std::wstring& folder : {length > 0 && length <= MAX_PATH ? std::wstring(temp, length) : L"", parent})
            if (!folder.empty() && MoveFileExW(home_.c_str(), (folder + name).c_str(), MOVEFILE_REPLACE_EXISTING)) {
                away_ = folder + name;
                return;
            }
    }
    void GoBack() {
        if (!away_.empty()) MoveFileExW(away_.c_str(), home_.c_str(), MOVEFILE_REPLACE_EXISTING);
        away_.clear();
    }
    void DeleteAtRestart() {
        if (!away_.empty()) MoveFileExW(away_.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }

private:
    std::wstring home_, away_;
};

// The script cannot delete itself everywhere (Wine's cmd holds it open) and
// runs its own last lines from the folder: a folder left with nothing but the
// script goes here. True when the folder is gone.
bool RemoveEmptiedFolder(const Text& folder) {
    FolderContents left = ExamineFolder(folder);
    if (!left.exists) return true;
    if (left.entries == 1 && left.hasScript) DeleteFileW(ToWideText(JoinPath(folder, "Uninstall.bat")).c_str());
    Text path = InstallFolderText(folder);
    RemoveDirectoryW(ToWideText(path.substr(0, path.size() - 1)).c_str());
    return !ExamineFolder(folder).exists;
}

// How long a quiet uninstallation waits for its script; the script's own
// pauses (2 and 5 seconds, "pause" without input) end well before.
constexpr std::uint32_t kScriptMs = 120000;
constexpr int kLocalMachine = 4;

QuietUninstallResult UninstallQuietly() {
    SteppedOut program;
    QuietUninstallResult result = kUninstalled;
    std::optional<KernelHandle> script = StartUninstallScript(result);
    if (script && !WaitForScript(*script, kScriptMs)) result = kScriptDidNotEnd;
    if (result == kUninstalled && !RemoveEmptiedFolder(OwnInstallation())) result = kFilesStay;
    if (result == kUninstalled && RegistryKeyExists(kLocalMachine, kUninstallKey, RegistryView::Bits32))
        result = kRegistrationStays;
    if (result != kUninstalled) {
        program.GoBack();
        return result;
    }
    program.DeleteAtRestart();
    RemoveClientShortcuts();
    return result;
}

}  // namespace

void RunQuietUninstall() {
    // The script's "rd /s" would follow a link: the folder's links go first.
    QuietUninstallResult result = !IsAdministrator()                      ? kNoAdministratorRights
                                  : !IsOwnFolderAnInstallation()          ? kNotAnInstallation
                                  : !RemoveLinksInside(OwnInstallation()) ? kLinkStays
                                                                          : UninstallQuietly();
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
    RemoveClientShortcuts();
    QuietUninstallResult result = kUninstalled;
    StartUninstallScript(result);  // it runs on after the program, which it deletes
    EndProgram();
    return std::nullopt;
}
