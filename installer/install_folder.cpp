#include "installer/install_folder.h"

#include <windows.h>

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

}  // namespace

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
    for (std::uint32_t filter : {0u, static_cast<std::uint32_t>(FILE_ATTRIBUTE_DIRECTORY)}) {
        FileSearch search;
        for (Text name = FindFile(base + "*", filter, search); !name.empty(); name = FindFile({}, filter, search))
            if (name != "." && name != "..") contents.holdsAnything = true;
        CloseFind(search);
    }
    contents.hasClient = FileFound(base + "tavrin.exe");
    contents.hasUninstaller = FileFound(base + "卸载.exe");
    contents.hasScript = FileFound(base + "Uninstall.bat");
    return contents;
}

bool CreateFolderLevels(std::string_view folder) {
    bool ok = true;
    for (const Text& level : FolderLevels(folder))
        if (!FolderFound(level) && !CreateFolder(level)) ok = false;
    return ok;
}

Text FolderField() { return GetTextProperty(op::kWindow, op::kFolderEdit, kEditContent); }

void SetFolderField(std::string_view text) { SetProperty(op::kWindow, op::kFolderEdit, kEditContent, Text(text)); }
