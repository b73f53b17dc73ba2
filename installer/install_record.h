#pragma once
// What one installation has written so far, so that an installation that
// does not complete (a failed step, a failed download, a close) leaves the
// machine as it found it. Written by the install, completion and
// user-interface threads; every step and the taking back hold one lock, so a
// close never lands in the middle of a step.
#include <functional>
#include <mutex>
#include <vector>

#include "services/core/values.h"

class InstallRecord {
public:
    // A new installation (a click on 快速安装): nothing recorded, open.
    void Open();

    // Runs `step` under the lock while the installation is open; false when
    // it is not (taken back, completed) or the step fails. Steps record what
    // they write with the calls below. A step never waits for the
    // user-interface thread (a window's property): a close takes the
    // installation back on that thread and would wait for the step.
    bool Step(const std::function<bool()>& step);

    // Folders this installation created, parent first.
    void AddFolders(const std::vector<Text>& created);
    // A file written into the installation folder.
    void AddFile(const Text& path);
    // A shortcut file, as written.
    void AddShortcut(const Text& path);
    // The product's registry key (written in the 32-bit view).
    void AddRegistryKey();

    // The installation is whole: nothing will be taken back. False when it
    // was taken back first.
    bool Complete();

    // Unless complete: shortcuts, files and the registry key go, then the
    // folders this installation created, deepest first, where empty; the
    // record closes, and later steps do nothing.
    void TakeBack();

private:
    std::recursive_mutex lock_;
    bool open_ = false, complete_ = false, registryKey_ = false;
    std::vector<Text> folders_, files_, shortcuts_;
};
