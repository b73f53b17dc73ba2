#include "services/files.h"

#include <windows.h>

#include "services/codepage.h"
#include "services/core/paths.h"

namespace {

bool IsDotName(const wchar_t* name) { return name[0] == L'.'; }

// Empties `folder` (wide, without trailing backslash); failures are ignored.
void EmptyFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    FindHandle find(FindFirstFileW((folder + L"\\*.*").c_str(), &entry));
    if (!find) return;
    do {
        if (IsDotName(entry.cFileName)) continue;
        std::wstring child = folder + L"\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            EmptyFolder(child);
            RemoveDirectoryW(child.c_str());
        } else {
            DeleteFileW(child.c_str());
        }
    } while (FindNextFileW(find.get(), &entry));
}

bool Matches(DWORD attributes, std::uint32_t filter) {
    if (filter == 0) return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    return (attributes & filter) != 0;
}

}  // namespace

bool CreateFolder(std::string_view path) { return CreateDirectoryW(ToWideText(path).c_str(), nullptr) != 0; }

bool DeleteFolderTree(std::string_view path) {
    if (IsEmptyOrDriveRoot(path)) return false;
    std::wstring folder = ToWideText(path.substr(path.find_first_not_of(' ')));
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    EmptyFolder(folder);
    return RemoveDirectoryW(folder.c_str()) != 0;
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
