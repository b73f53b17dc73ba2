#include "services/files.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <memory>

#include "services/codepage.h"
#include "services/core/paths.h"

namespace {

// Full control for SYSTEM and administrators, read and execute for users,
// for the folder, its subfolders and files (OICI); protected (P) from the
// parent's entries.
constexpr const wchar_t* kProtectedFolderAccess = L"D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

struct LocalFreeDeleter {
    void operator()(void* memory) const { LocalFree(memory); }
};
using LocalMemory = std::unique_ptr<void, LocalFreeDeleter>;

bool IsDotName(const wchar_t* name) { return name[0] == L'.'; }

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// A junction, symbolic link or mount point goes as itself: removing a
// directory link removes the link, never what it points to. True if it went.
bool RemoveLink(const std::wstring& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryW(path.c_str()) != 0;
    return DeleteFileW(path.c_str()) != 0;
}

// Walks `folder` (wide, without trailing backslash) without entering a link;
// `removeAll` deletes every entry, otherwise only the links go. Other
// failures are ignored; the result says whether every link went.
bool Clear(const std::wstring& folder, bool removeAll) {
    WIN32_FIND_DATAW entry;
    FindHandle find(FindFirstFileW((folder + L"\\*.*").c_str(), &entry));
    if (!find) return true;
    bool linksGone = true;
    do {
        if (IsDotName(entry.cFileName)) continue;
        std::wstring child = folder + L"\\" + entry.cFileName;
        if (IsLink(entry.dwFileAttributes)) {
            linksGone = RemoveLink(child, entry.dwFileAttributes) && linksGone;
        } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            linksGone = Clear(child, removeAll) && linksGone;
            if (removeAll) RemoveDirectoryW(child.c_str());
        } else if (removeAll) {
            DeleteFileW(child.c_str());
        }
    } while (FindNextFileW(find.get(), &entry));
    return linksGone;
}

std::wstring WideFolder(std::string_view path) {
    std::wstring folder = ToWideText(path.substr(path.find_first_not_of(' ')));
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

bool Matches(DWORD attributes, std::uint32_t filter) {
    if (filter == 0) return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    return (attributes & filter) != 0;
}

}  // namespace

bool CreateFolder(std::string_view path) { return CreateDirectoryW(ToWideText(path).c_str(), nullptr) != 0; }

bool CreateProtectedFolder(std::string_view path) {
    PSECURITY_DESCRIPTOR made = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kProtectedFolderAccess, SDDL_REVISION_1, &made, nullptr))
        return false;
    LocalMemory descriptor(made);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    return CreateDirectoryW(ToWideText(path).c_str(), &attributes) != 0;
}

Text FolderAccessText(std::string_view path) {
    PSECURITY_DESCRIPTOR read = nullptr;
    if (GetNamedSecurityInfoW(ToWideText(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              nullptr, nullptr, &read) != ERROR_SUCCESS)
        return {};
    LocalMemory descriptor(read);
    wchar_t* text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.get(), SDDL_REVISION_1,
                                                              DACL_SECURITY_INFORMATION, &text, nullptr))
        return {};
    LocalMemory owned(text);
    return FromWideText(text);
}

std::optional<std::uint64_t> FreeSpaceBeside(std::string_view fileName) {
    std::wstring folder = ToWideText(fileName);
    std::size_t slash = folder.find_last_of(L'\\');
    if (slash == std::wstring::npos) return std::nullopt;
    folder.resize(slash + 1);
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) return std::nullopt;
    return available.QuadPart;
}

bool DeleteFolderTree(std::string_view path) {
    if (IsEmptyOrDriveRoot(path)) return false;
    std::wstring folder = WideFolder(path);
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (!IsLink(attributes)) Clear(folder, true);
    return RemoveDirectoryW(folder.c_str()) != 0;
}

bool RemoveLinksInside(std::string_view path) {
    if (IsEmptyOrDriveRoot(path)) return false;
    return Clear(WideFolder(path), false);
}

Bytes ReadFileStart(std::string_view fileName, std::size_t count) {
    FileHandle file(CreateFileW(ToWideText(fileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    Bytes bytes(count);
    DWORD read = 0;
    if (!file || !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(count), &read, nullptr)) return {};
    bytes.resize(read);
    return bytes;
}

bool CopyFileOver(std::string_view source, std::string_view destination) {
    return CopyFileW(ToWideText(source).c_str(), ToWideText(destination).c_str(), FALSE) != 0;
}

bool WriteBytesToFile(std::string_view fileName, std::initializer_list<std::span<const std::uint8_t>> parts) {
    if (fileName.empty()) return false;
    FileHandle file(CreateFileW(ToWideText(fileName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    for (auto part : parts) {
        std::size_t done = 0;
        while (done < part.size()) {
            DWORD written = 0;
            auto chunk = static_cast<DWORD>(std::min<std::size_t>(part.size() - done, 1u << 30));
            if (!WriteFile(file.get(), part.data() + done, chunk, &written, nullptr) || written == 0) return false;
            done += written;
        }
    }
    return true;
}

Text FindFile(std::string_view pattern, std::uint32_t attributeFilter, FileSearch& search) {
    WIN32_FIND_DATAW entry;
    bool found = false;
    if (!pattern.empty()) {
        search.handle.reset(FindFirstFileW(ToWideText(pattern).c_str(), &entry));
        found = static_cast<bool>(search.handle);
    } else if (search.handle) {
        found = FindNextFileW(search.handle.get(), &entry) != 0;
    }
    while (found) {
        if (Matches(entry.dwFileAttributes, attributeFilter)) return FromWideText(entry.cFileName);
        found = FindNextFileW(search.handle.get(), &entry) != 0;
    }
    search.handle.reset();
    return {};
}

void CloseFind(FileSearch& search) { search.handle.reset(); }
