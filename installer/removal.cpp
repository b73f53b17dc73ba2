#include "installer/removal.h"

#include "installer/install_folder.h"
#include "installer/uninstall_files.h"
#include "services/core/paths.h"
#include "services/files.h"
#include "services/program.h"
#include "services/script_run.h"
#include "services/shell.h"
#include "window/notice_strip.h"
#include "window/pumping_wait.h"

namespace {

// The script deletes the client; it gets about ten seconds.
bool ClientGoneWithin10Seconds(const Text& client) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (!FileFound(client)) return true;
        WaitPumping(1000);
    }
    return !FileFound(client);
}

}  // namespace

bool RemovePreviousInstallation() {
    Text folder = InstallFolderText(FolderField());
    // Only an installation of the product is removed: the folder is deleted
    // whole, and what else it might hold is not ours.
    if (!IsProductInstallation(ExamineFolder(folder)) || IsEmptyOrDriveRoot(folder)) return true;
    Text client = JoinPath(folder, "tavrin.exe");

    ShowNotice("正在卸载旧版本文件", 2, 100);
    // The script's "rd /s" would follow a link: with one that stays, only
    // the removal below, which never enters a link, deletes anything.
    if (RemoveLinksInside(folder)) {
        Text script = JoinPath(folder, "Uninstall.bat");
        WriteUninstallScript(script);
        StartCommandScript(script);  // apart from this program's input, outside the folder
        ClientGoneWithin10Seconds(client);
    }
    DeleteFolderTree(folder.substr(0, folder.size() - 1));

    if (FileFound(client)) {
        CopyFileOver(GetProgramDir() + "\\" + GetProgramFileName(), JoinPath(folder, "卸载.exe"));
        ShowNotice("卸载失败，已经为你打开安装程序目录，请运行卸载.exe", 2, 10);
        ShellRun(kVerbExplore, folder, {}, {}, kShowNormal);
        return false;
    }
    WaitPumping(2000);
    return true;
}
