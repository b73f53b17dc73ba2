#include "installer/install_record.h"

#include <windows.h>

#include <algorithm>

#include "installer/core/registration.h"
#include "services/codepage.h"
#include "services/registry.h"

namespace {

constexpr int kLocalMachine = 4;

template <class T>
void AddOnce(std::vector<T>& list, const T& item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}

}  // namespace

void InstallRecord::Open() {
    std::lock_guard guard(lock_);
    open_ = true;
    complete_ = registryKey_ = false;
    folders_.clear();
    files_.clear();
    shortcuts_.clear();
}

bool InstallRecord::Step(const std::function<bool()>& step) {
    std::lock_guard guard(lock_);
    return open_ && step();
}

void InstallRecord::AddFolders(const std::vector<Text>& created) {
    std::lock_guard guard(lock_);
    for (const Text& folder : created) AddOnce(folders_, folder);
}

void InstallRecord::AddFile(const Text& path) {
    std::lock_guard guard(lock_);
    AddOnce(files_, path);
}

void InstallRecord::AddShortcut(const Text& path) {
    std::lock_guard guard(lock_);
    AddOnce(shortcuts_, path);
}

void InstallRecord::AddRegistryKey() {
    std::lock_guard guard(lock_);
    registryKey_ = true;
}

bool InstallRecord::Complete() {
    std::lock_guard guard(lock_);
    if (!open_) return false;
    open_ = false;
    complete_ = true;
    return true;
}

void InstallRecord::TakeBack() {
    std::lock_guard guard(lock_);
    open_ = false;
    if (complete_) return;
    for (const Text& path : shortcuts_) DeleteFileW(ToWideText(path).c_str());
    for (const Text& path : files_) DeleteFileW(ToWideText(path).c_str());
    if (registryKey_) DeleteRegistryKey(kLocalMachine, kUninstallKey, RegistryView::Bits32);
    // Deepest first; a folder that holds something (not ours) stays.
    for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder)
        RemoveDirectoryW(ToWideText(*folder).c_str());
    shortcuts_.clear();
    files_.clear();
    folders_.clear();
    registryKey_ = false;
}
