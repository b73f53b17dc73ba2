#pragma once
// The client's shortcut "Tavrin 端口映射.lnk" on the desktop and in the Start
// menu, in the folders the system names for them.
#include "installer/program_state.h"

enum class ShortcutPlace { Desktop, StartMenu };

// Creates the shortcut to the installation's client, recorded in the
// installation's record; nothing while the installation is not open (given
// up or closed). A shortcut that cannot be made marks the installation as
// failed (shortcutFailed).
void CreateClientShortcut(InstallerState& state, ShortcutPlace place);

// Removes the shortcut from both places: the uninstall script looks only in
// "%USERPROFILE%\Desktop", and a desktop may lie elsewhere (redirected,
// renamed).
void RemoveClientShortcuts();
