#include "tests/support/temp_folder.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "services/codepage.h"
#include "services/files.h"
#include "services/special_folders.h"

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    path_ = GetSpecialFolder(11) + "安装测试_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(GetTickCount()) + "_" + std::to_string(counter.fetch_add(1));
    DeleteFolderTree(path_);
    CreateDirectoryW(ToWideText(path_).c_str(), nullptr);
}

TempFolder::~TempFolder() { DeleteFolderTree(path_); }
