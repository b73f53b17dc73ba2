#include "installer/shortcuts.h"

#include <windows.h>

#include "installer/core/install_folder.h"
#include "installer/install_folder.h"
#include "services/codepage.h"
#include "services/core/paths.h"
#include "services/shortcut.h"
#include "services/special_folders.h"

namespace {

constexpr int kDesktopFolder = 3, kStartMenuFolder = 5;
constexpr const char* kShortcutName = "Tavrin 端口映射";

int FolderKind(ShortcutPlace place) { return place == ShortcutPlace::Desktop ? kDesktopFolder : kStartMenuFolder; }

// The link file in the place's folder; empty when the system names none.
Text LinkFile(ShortcutPlace place) {
    Text folder = GetSpecialFolder(FolderKind(place));
    return folder.empty() ? Text() : ShortcutFileName(folder + kShortcutName);
}

}  // namespace

void CreateClientShortcut(InstallerState& state, ShortcutPlace place) {
    Text link = LinkFile(place), client = JoinPath(FolderField(), "tavrin.exe");
    bool made = !link.empty() && state.record.Step([&] {
        state.record.AddShortcut(link);
        return CreateShortcut(link, client);
    });
    if (!made) state.shortcutFailed = true;
}

void RemoveClientShortcuts() {
    for (ShortcutPlace place : {ShortcutPlace::Desktop, ShortcutPlace::StartMenu})
        if (Text link = LinkFile(place); !link.empty()) DeleteFileW(ToWideText(link).c_str());
}
