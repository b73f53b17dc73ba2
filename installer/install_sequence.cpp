#include "installer/install_sequence.h"

#include "controls/tab_control.h"
#include "controls/window_operations.h"
#include "download/core/state_blob.h"
#include "frame/core/event.h"
#include "installer/animation.h"
#include "installer/client_signer.h"
#include "installer/core/client_image.h"
#include "installer/core/progress.h"
#include "installer/core/uninstall_texts.h"
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
#include "services/system_proxy.h"
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
    state.taskOver = false;
    for (int attempt = 0; attempt < 50 && !state.ending.load() && !(added = state.download.AddTask(state.taskParam));
         ++attempt)
        WaitPumping(100);
    if (!added) state.taskOver = true;
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

// The client's room: the client itself, the copy of this program and the two
// texts. A client file the engine has already made counts with what the
// drive has given it so far (all of it on Windows, little on a drive with
// sparse files).
bool DriveHasRoomForInstallation(const Text& client, std::int64_t clientBytes) {
    std::int64_t needed = clientBytes + FileBytes(GetProgramDir() + "\\" + GetProgramFileName()) +
                          static_cast<std::int64_t>(UninstallScript().size() + UninstallInstructions().size());
    std::optional<std::uint64_t> available = FreeSpaceBeside(client);
    if (!available) return true;  // nothing to go by
    std::wstring wide = ToWideText(client);
    DWORD high = 0;
    DWORD low = GetCompressedFileSizeW(wide.c_str(), &high);
    std::int64_t taken = low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR
                             ? 0
                             : static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) | low);
    return static_cast<std::int64_t>(*available) + taken >= needed;
}

// A task whose drive has no room ends before anything is written; the
// stop runs apart from the engine's task thread, which the stop waits for.
DWORD WINAPI StopForNoRoom(void*) {
    StopDownloadTask();
    return 0;
}

// The progress pause, cut short by the program's end.
void PauseUnlessEnding(InstallerState& state, int milliseconds) {
    for (int waited = 0; waited < milliseconds && !state.ending.load(); waited += 100) WaitPumping(100);
}

// An installation that will not complete leaves the machine as it was:
// what this run wrote goes again, shortcuts included.
void GiveUp(InstallerState& state, std::string_view notice) {
    state.record.TakeBack();
    ShowNotice(notice, 3, 10);
}

// Back to the install page with the options panel open, so that another
// folder can be chosen and the installation started again.
void OfferAnotherFolder(InstallerState& state) {
    GiveUp(state, "磁盘空间不足，请选择其他安装目录");
    HideInstallationWindow();
    SetProperty(mw::kWindow, mw::kPages, kCurrentPage, 0);
    ShowOptionsPanel(true);
    ++state.installRun;  // its animation stops
}

// The uninstall files: each one goes into the record before it is written,
// so that a partly written file is taken back too.
bool WriteUninstallFiles(InstallerState& state, const Text& folder) {
    InstallRecord& record = state.record;
    Text script = JoinPath(folder, "Uninstall.bat"), instructions = JoinPath(folder, "卸载说明.txt"),
         uninstaller = JoinPath(folder, "卸载.exe");
    return record.Step([&] {
        record.AddFile(script);
        return WriteUninstallScript(script);
    }) && record.Step([&] {
        record.AddFile(instructions);
        return WriteUninstallInstructions(instructions);
    }) && record.Step([&] {
        record.AddFile(uninstaller);
        return CopyFileOver(GetProgramDir() + "\\" + GetProgramFileName(), uninstaller);
    });
}

bool RegisterTheProduct(InstallerState& state, const Text& folder) {
    return state.record.Step([&] {
        state.record.AddRegistryKey();
        return RegisterProduct(folder);
    });
}

}  // namespace

EventResult OnInstallClicked(const EventArgs&) {
    if (FolderField().empty()) {
        ShowOptionsPanel(true);
        return std::nullopt;
    }
    if (!SettleInstallFolder()) return std::nullopt;
    InstallerState& state = Installer();
    state.record.Open();
    state.retried = 0;
    state.noRoom = false;
    state.shortcutFailed = false;
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
    auto createFolder = [&] {
        std::vector<Text> created;
        CreateFolderLevels(folder, created);
        state.record.AddFolders(created);
        return true;
    };
    if (!state.record.Step(createFolder)) return 0;
    if (!RemovePreviousInstallation()) {
        state.record.TakeBack();  // the shortcuts; the folder keeps the old client and "卸载.exe"
        return 0;
    }
    // The removal deleted the folder with the old installation; a client
    // file that a closed run could not delete is taken as this run's own.
    if (!state.record.Step(createFolder)) return 0;
    Text client = folder + "tavrin.exe";
    if (IsLeftOverDownload(ExamineFolder(folder))) DeleteFileW(ToWideText(client).c_str());
    ShowNotice("准备下载文件中", 2, 100);

    state.savedFileName = "tavrin.exe";
    state.taskParam.Mode = 4096;
    state.taskParam.Url = ClientDownloadUrl();
    // Behind a company's or a school's proxy the address may be reachable
    // only through it.
    state.taskParam.Proxy = SystemProxyFor(state.taskParam.Url);
    state.taskParam.StopTimeout = 15000;
    state.taskParam.ConnectionCount = 1;
    state.taskParam.SavePath = folder + state.savedFileName;
    state.taskParam.OnEvent = OnDownloadEvent;
    state.lastProgressNotice.clear();
    if (!state.record.Step([&] {
            state.record.AddFile(state.taskParam.SavePath);
            return true;
        }))
        return 0;
    if (AddDownloadTask(state))
        StopUnlessSizeAnnounced(state);
    else if (!state.ending.load())
        StartThread(CompleteInstallation);  // no task, no TaskFinished: fail as one would
    return 0;
}

std::int32_t WINAPI OnDownloadEvent(std::int32_t event, std::intptr_t, std::int32_t value1, std::int32_t, void*) {
    InstallerState& state = Installer();
    switch (event) {
        case FileSizeKnown:
            state.fileSize = value1;
            if (!DriveHasRoomForInstallation(state.taskParam.SavePath, value1)) {
                state.noRoom = true;
                StartThread(StopForNoRoom);
            }
            break;
        case DataReceived: {
            // Only a new percentage is shown and paced: a stalled download's
            // events of the same percentage pass at once.
            Text notice = ProgressNotice(state.download.GetReceivedBytes(), state.fileSize.load());
            if (!notice.empty() && notice != state.lastProgressNotice && !state.noRoom.load()) {
                state.lastProgressNotice = notice;
                ShowNotice(notice, 2, 100);
                PauseUnlessEnding(state, 1000);
            }
            break;
        }
        case TaskFinished: {
            // The task is still attached while its TaskFinished runs: its
            // state says whether every byte arrived, and the size it found
            // when the drive could not take the file.
            Bytes blob;
            BlobProgress progress;
            if (state.download.GetTaskState(blob)) progress = ReadBlobProgress(blob);
            state.downloadComplete = progress.complete && progress.written == state.fileSize.load();
            if (state.fileSize.load() == 0 && progress.fileSize > 0 &&
                !DriveHasRoomForInstallation(state.taskParam.SavePath, progress.fileSize))
                state.noRoom = true;
            state.taskOver = true;  // before a restart's new task can begin
            if (!state.ending.load()) StartThread(CompleteInstallation);
            break;
        }
        default: break;
    }
    return 0;
}

DWORD WINAPI CompleteInstallation(void*) {
    InstallerState& state = Installer();
    if (state.ending.load()) return 0;
    if (state.noRoom.load()) {
        OfferAnotherFolder(state);
        return 0;
    }
    if (!DownloadIsWhole(state)) {
        ForgetDownload(state);
        if (state.retried.exchange(1) == 0) {
            StartThread(InstallSequence);
            return 0;
        }
        GiveUp(state, "获取下载文件失败，请尝试重启软件解决问题");
        StopDownloadTask();
        return 0;
    }
    ShowNotice("正在安装文件", 1, 100);
    WaitPumping(1000);
    const Text folder = InstallFolderText(FolderField());
    bool written = WriteUninstallFiles(state, folder);
    while (written && state.shortcutStepPending.load() != 0 && !state.ending.load()) WaitPumping(100);
    if (state.ending.load()) return 0;  // the end takes the installation back
    if (!written || state.shortcutFailed.load() || !RegisterTheProduct(state, folder) || !state.record.Complete()) {
        if (!state.ending.load()) GiveUp(state, "安装未完成，请检查安装目录后重试");
        return 0;
    }
    ShowNotice("安装成功，启动软件", 0, 100);
    WaitPumping(1000);
    // The installation is whole and registered whether the client starts
    // or not; it can be started from its shortcut or folder.
    StartClient(state);
    EndProgram();
    return 0;
}
