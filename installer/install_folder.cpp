#include "installer/install_folder.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "controls/edit_box.h"
#include "controls/window_operations.h"
#include "layout_ids.h"
#include "services/codepage.h"
#include "services/files.h"

namespace op = layout::options_panel;

namespace {

constexpr int kEditContent = OwnProperty(EditBox::kContent);

bool FolderFound(std::string_view path) {
    FileSearch search;
    bool found = !FindFile(path, FILE_ATTRIBUTE_DIRECTORY, search).empty();
    CloseFind(search);
    return found;
}

// GetFullPathNameW, in code page 936; empty on failure.
Text FullPath(std::string_view text) {
    std::wstring wide = ToWideText(text);
    DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::wstring full(size, L'\0');
    size = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    full.resize(size);
    return FromWideText(full);
}

// The long form of a path that exists ("PROGRA~1" spelt out); as given otherwise.
Text LongPath(const Text& path) {
    std::wstring wide = ToWideText(path);
    DWORD size = GetLongPathNameW(wide.c_str(), nullptr, 0);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    size = GetLongPathNameW(wide.c_str(), full.data(), size);
    full.resize(size);
    return FromWideText(full);
}

Text ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? FromWideText(path) : Text();
}

Text KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    Text folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) folder = FromWideText(path);
    CoTaskMemFree(path);
    return folder;
}

// Folders that hold the system or a user's own files: never the
// installation folder, whose removal deletes it whole.
std::vector<Text> ProtectedFolders() {
    std::vector<Text> folders;
    for (int csidl : {CSIDL_WINDOWS, CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL,
                      CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_DOCUMENTS})
        folders.push_back(ShellFolder(csidl));
    folders.push_back(KnownFolder(FOLDERID_Downloads));
    folders.push_back(KnownFolder(FOLDERID_Profile));
    return folders;
}

bool SameText(const Text& a, const Text& b) {
    return CompareStringOrdinal(ToWideText(a).c_str(), -1, ToWideText(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Below one of the system's Program Files folders (both of 64-bit Windows),
// whose own access list is inherited already.
bool IsUnderProgramFiles(const Text& path) {
    wchar_t native[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(L"ProgramW6432", native, MAX_PATH);
    Text folders[] = {ShellFolder(CSIDL_PROGRAM_FILES), ShellFolder(CSIDL_PROGRAM_FILESX86),
                      length > 0 && length < MAX_PATH ? FromWideText(native) : Text()};
    for (const Text& programFiles : folders) {
        if (programFiles.empty()) continue;
        Text prefix = InstallFolderText(programFiles);
        Text inside = InstallFolderText(path);
        if (inside.size() > prefix.size() && SameText(inside.substr(0, prefix.size()), prefix)) return true;
    }
    return false;
}

bool IsLink(const Text& path) {
    DWORD attributes = GetFileAttributesW(ToWideText(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

std::optional<Text> AcceptedInstallFolder(std::string_view text) {
    // The core's reading must be the system's: a text the two read apart is
    // one whose meaning is not known here.
    Text resolved = ResolveFolderText(text);
    if (resolved.empty() || !SameText(InstallFolderText(FullPath(text)), InstallFolderText(resolved)))
        return std::nullopt;
    std::optional<Text> accepted = AcceptedFolder(LongPath(resolved), ProtectedFolders());
    if (!accepted || IsLink(*accepted)) return std::nullopt;
    return accepted;
}

bool FileFound(std::string_view path) {
    FileSearch search;
    bool found = !FindFile(path, 0, search).empty();
    CloseFind(search);
    return found;
}

std::int64_t FileBytes(std::string_view path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(ToWideText(path).c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<std::int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

FolderContents ExamineFolder(std::string_view folder) {
    FolderContents contents;
    Text base = InstallFolderText(folder);
    Text withoutBackslash = base.substr(0, base.size() - 1);
    contents.exists = base.size() == 3 || FolderFound(withoutBackslash);  // a drive root is not listed as a folder
    if (!contents.exists) return contents;
    // Files first, then folders other than "." and "..".
    int entries = 0;
    for (std::uint32_t filter : {0u, static_cast<std::uint32_t>(FILE_ATTRIBUTE_DIRECTORY)}) {
        FileSearch search;
        for (Text name = FindFile(base + "*", filter, search); !name.empty(); name = FindFile({}, filter, search))
            if (name != "." && name != "..") ++entries;
        CloseFind(search);
    }
    contents.holdsAnything = entries > 0;
    contents.entries = entries;
    contents.hasClient = FileFound(base + "tavrin.exe");
    contents.hasUninstaller = FileFound(base + "卸载.exe");
    contents.hasScript = FileFound(base + "Uninstall.bat");
    return contents;
}

bool CreateFolderLevels(std::string_view folder, std::vector<Text>& created) {
    bool ok = true;
    for (const Text& level : FolderLevels(folder)) {
        if (FolderFound(level)) continue;
        if (IsUnderProgramFiles(level) ? CreateFolder(level) : CreateProtectedFolder(level))
            created.push_back(level);
        else
            ok = false;
    }
    return ok;
}

Text FolderField() { return GetTextProperty(op::kWindow, op::kFolderEdit, kEditContent); }

void SetFolderField(std::string_view text) { SetProperty(op::kWindow, op::kFolderEdit, kEditContent, Text(text)); }
