#include "installer/install_sequence.h"

#include "controls/tab_control.h"
#include "controls/window_operations.h"
#include "download/core/state_blob.h"
#include "frame/core/event.h"
#include "installer/animation.h"
#include "installer/client_signer.h"
#include "installer/core/client_image.h"
#include "installer/core/progress.h"
#include "installer/install_folder.h"
#include "installer/program_state.h"
#include "installer/registration.h"
#include "installer/removal.h"
#include "installer/start_up.h"
#include "installer/uninstall_files.h"
#include "installer/update_info.h"
#include "layout_ids.h"
#include "services/codepage.h"
#include "services/core/paths.h"
#include "services/code_signature.h"
#include "services/file_digest.h"
#include "services/files.h"
#include "services/program.h"
#include "services/shell.h"
#include "services/threads.h"
#include "window/notice_strip.h"
#include "window/pumping_wait.h"
#include "window/window_behaviour.h"

namespace mw = layout::main_window;
namespace iw = layout::installation_window;

namespace {

constexpr int kCurrentPage = OwnProperty(TabControl::kCurrentPage), kProgressPage = 1;

void AskForAnotherFolder(std::string_view why) {
    ShowNotice(why, 2, 10);
    ShowOptionsPanel(true);
}

// The folder field names a folder the installation may write to and later
// delete whole, or the click goes no further. A folder holding someone
// else's files gives way to its "tavrin" subfolder, shown in the field.
bool SettleInstallFolder() {
    std::optional<Text> chosen = AcceptedInstallFolder(FolderField());
    if (!chosen) {
        AskForAnotherFolder("安装目录无效，请选择其他安装目录");
        return false;
    }
    Text folder = InstallFolderText(*chosen);
    SetFolderField(folder);
    Text subfolder = JoinPath(folder, kProductSubfolder);
    switch (ChooseInstallFolder(IsEmptyOrDriveRoot(folder), ExamineFolder(folder), ExamineFolder(subfolder))) {
        case FolderChoice::AsChosen: return true;
        case FolderChoice::Subfolder:
            if (!AcceptedInstallFolder(subfolder)) break;
            SetFolderField(subfolder);
            return true;
        case FolderChoice::Refused: break;
    }
    AskForAnotherFolder("安装目录中已有其他文件，请选择其他安装目录");
    return false;
}

// How long the server has to announce the file's size. The engine retries an
// unreachable server 999 times, five seconds apart: the user would wait for
// over an hour before the restart, and again before the failure notice.
constexpr int kSizeAnnouncementMs = 30000;

// The previous task detaches just after its TaskFinished: give it a moment.
bool AddDownloadTask(InstallerState& state) {
    bool added = false;
    for (int attempt = 0; attempt < 50 && !(added = state.download.AddTask(state.taskParam)); ++attempt)
        WaitPumping(100);
    std::lock_guard guard(state.taskStateLock);
    state.download.GetTaskState(state.taskState);
    return added;
}

// A task whose server announced no size in time is stopped: its TaskFinished
// then starts the completion, which restarts once and then gives up.
void StopUnlessSizeAnnounced(InstallerState& state) {
    for (int waited = 0; waited < kSizeAnnouncementMs; waited += 100) {
        if (state.fileSize.load() > 0 || state.ending.load()) return;
        Bytes probe;
        if (!state.download.GetTaskState(probe)) return;  // the task ended by itself
        WaitPumping(100);
    }
    StopDownloadTask();
}

// With a publisher set, from whatever address the client came: a valid
// signature whose chain holds the publisher's certificate. The system
// checks the signature and its chain; the certificate is checked here, as
// Wine's check (and a machine that trusts a stray authority) would take a
// chain from anyone.
bool IsSignedByThePublisher(const Text& client) {
    Text setting = ClientSignerSetting();
    if (setting.empty()) return true;
    std::optional<Sha256> publisher = ParseSha256(setting);
    return publisher && SignedUnder(client, *publisher);
}

// The whole announced file arrived, lies on disk, is a Windows program and,
// when a digest was given, is the file its publisher meant: the installer
// runs it with administrator rights.
bool DownloadIsWhole(InstallerState& state) {
    std::int32_t size = state.fileSize.load();
    const Text& client = state.taskParam.SavePath;
    if (size <= 0 || !state.downloadComplete.load() || FileBytes(client) != size) return false;
    if (!IsWindowsProgramImage(ReadFileStart(client, kImageHeadBytes))) return false;
    if (state.clientDigest.required && !DigestMatches(state.clientDigest, FileSha256(client))) return false;
    return IsSignedByThePublisher(client);
}

void ForgetDownload(InstallerState& state) {
    state.fileSize = 0;
    state.downloadComplete = false;
    // What arrived is not the client: nothing may run it, nor take its name.
    DeleteFileW(ToWideText(state.taskParam.SavePath).c_str());
}

void StartClient(InstallerState& state) { ShellRun(kVerbOpen, state.taskParam.SavePath, {}, {}, kShowNormal); }

}  // namespace

EventResult OnInstallClicked(const EventArgs&) {
    if (FolderField().empty()) {
        ShowOptionsPanel(true);
        return std::nullopt;
    }
    if (!SettleInstallFolder()) return std::nullopt;
    ShowOptionsPanel(false);
    SetProperty(mw::kWindow, mw::kPages, kCurrentPage, kProgressPage);
    ShowInstallationWindow();
    StartThread(AnimateInstallWindow);
    StartThread(InstallSequence);
    return std::nullopt;
}

DWORD WINAPI InstallSequence(void*) {
    InstallerState& state = Installer();
    Text folder = InstallFolderText(FolderField());
    SetFolderField(folder);
    CreateFolderLevels(folder);
    if (!RemovePreviousInstallation()) return 0;
    CreateFolderLevels(folder);  // the removal deleted it with the old installation
    ShowNotice("准备下载文件中", 2, 100);

    state.savedFileName = "tavrin.exe";
    state.taskParam.Mode = 4096;
    state.taskParam.Url = ClientDownloadUrl();
    state.taskParam.StopTimeout = 15000;
    state.taskParam.ConnectionCount = 1;
    state.taskParam.SavePath = folder + state.savedFileName;
    state.taskParam.OnEvent = OnDownloadEvent;
    if (AddDownloadTask(state))
        StopUnlessSizeAnnounced(state);
    else
        StartThread(CompleteInstallation);  // no task, no TaskFinished: fail as one would
    return 0;
}

std::int32_t WINAPI OnDownloadEvent(std::int32_t event, std::intptr_t, std::int32_t value1, std::int32_t, void*) {
    InstallerState& state = Installer();
    switch (event) {
        case FileSizeKnown: state.fileSize = value1; break;
        case DataReceived: {
            Text notice = ProgressNotice(state.download.GetReceivedBytes(), state.fileSize.load());
            if (!notice.empty()) {
                ShowNotice(notice, 2, 100);
                WaitPumping(1000);
            }
            break;
        }
        case TaskFinished: {
            // The task is still attached while its TaskFinished runs: its
            // state says whether every byte arrived.
            Bytes blob;
            BlobProgress progress;
            if (state.download.GetTaskState(blob)) progress = ReadBlobProgress(blob);
            state.downloadComplete = progress.complete && progress.written == state.fileSize.load();
            if (!state.ending.load()) StartThread(CompleteInstallation);
            break;
        }
        default: break;
    }
    return 0;
}

DWORD WINAPI CompleteInstallation(void*) {
    InstallerState& state = Installer();
    if (!DownloadIsWhole(state)) {
        ForgetDownload(state);
        if (state.retried.exchange(1) == 0) {
            StartThread(InstallSequence);
            return 0;
        }
        ShowNotice("获取下载文件失败，请尝试重启软件解决问题", 3, 10);
        StopDownloadTask();
        return 0;
    }
    ShowNotice("正在安装文件", 1, 100);
    WaitPumping(1000);
    Text folder = InstallFolderText(FolderField());
    WriteUninstallScript(JoinPath(folder, "Uninstall.bat"));
    WriteUninstallInstructions(JoinPath(folder, "卸载说明.txt"));
    CopyFileOver(GetProgramDir() + "\\" + GetProgramFileName(), JoinPath(folder, "卸载.exe"));
    while (state.shortcutStepPending.load() != 0) WaitPumping(100);
    RegisterProduct();
    ShowNotice("安装成功，启动软件", 0, 100);
    WaitPumping(1000);
    StartClient(state);
    EndProgram();
    return 0;
}
