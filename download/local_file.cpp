#include "download/local_file.h"

#include "download/core/rename.h"
#include "services/codepage.h"
#include "services/files.h"
#include "services/handle.h"

namespace {

constexpr MessageLevel Info = MessageLevel::Info, Error = MessageLevel::Error;

bool Exists(const Text& path) { return GetFileAttributesW(ToWideText(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// Size of an existing file at the path, or -1 when it cannot be opened.
long long ExistingSize(const Text& path) {
    FileHandle file(CreateFileW(ToWideText(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!file) return -1;
    LARGE_INTEGER size;
    return GetFileSizeEx(file.get(), &size) ? size.QuadPart : 0;
}

bool AutoRename(DownloadTask& task, Connection& c) {
    RenameResult result = AutoRenamePath(task.savePath, Exists);
    switch (result.outcome) {
        case RenameResult::Renamed:
            task.savePath = result.path;
            ReportFormatted(task, c.id, Info, "发现同名文件, 系统自动更名为%s", task.savePath.c_str());
            return true;
        case RenameResult::NoName: return false;
        case RenameResult::TooManyAttempts:
            ReportMessage(task, c.id, Error, "发现同名文件，超过系统自动更名次数");
            return false;
    }
    return false;
}

bool ApplySameNamePolicy(DownloadTask& task, Connection& c) {
    long long existing = ExistingSize(task.savePath);
    if (existing < 0) return true;
    if (!task.param.OnEvent) return AutoRename(task, c);
    // Called directly on this connection thread: its answer decides.
    std::int32_t answer =
        task.param.OnEvent(FileExists, c.id, static_cast<std::int32_t>(existing), task.fileSize, &task);
    switch (answer) {
        case 0: return AutoRename(task, c);
        case 1: ReportMessage(task, c.id, Info, "发现同名文件, 用户选择放弃下载"); return false;
        case 2: ReportFormatted(task, c.id, Info, "发现同名文件, 用户更名为%s", task.savePath.c_str()); return true;
    }
    return false;
}

// Room on the drive for the whole file. Windows allocates a mapping's length
// at once and fails here by itself; a file system with sparse files (Wine's
// host) would take the mapping and fault on a write into the full drive.
bool DriveHasRoomFor(const Text& path, std::int64_t size) {
    std::optional<std::uint64_t> available = FreeSpaceBeside(path);
    return !available || *available >= static_cast<std::uint64_t>(size);
}

bool CreateMappedFile(DownloadTask& task) {
    if (!DriveHasRoomFor(task.savePath, task.fileSize.load())) return false;
    FileHandle file(CreateFileW(ToWideText(task.savePath).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW, FILE_FLAG_SEQUENTIAL_SCAN,
                                nullptr));
    if (!file) return false;
    // A mapping of the file's size gives the file its full length at once;
    // a zero-length file cannot be mapped.
    HANDLE mapping =
        CreateFileMappingW(file.get(), nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(task.fileSize.load()), nullptr);
    if (!mapping) return false;
    void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
    if (!view) {
        CloseHandle(mapping);
        return false;
    }
    task.mapping = mapping;
    task.base = static_cast<std::uint8_t*>(view);
    task.view = DownloadTask::View::Mapped;
    return true;
}

}  // namespace

bool PrepareLocalFile(DownloadTask& task, Connection& c) {
    if (!ApplySameNamePolicy(task, c)) return false;
    if (CreateMappedFile(task)) return true;
    ReportMessage(task, c.id, Error, "创建文件错误，超出最大支持下载长度或磁盘不可写或磁盘没有空间或同名文件已存在");
    return false;
}

void CloseLocalFile(DownloadTask& task) {
    if (task.view != DownloadTask::View::Mapped) return;
    UnmapViewOfFile(task.base);
    CloseHandle(task.mapping);
    task.base = nullptr;
    task.mapping = nullptr;
    task.view = DownloadTask::View::Closed;
}
