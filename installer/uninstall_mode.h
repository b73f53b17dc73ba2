#pragma once
// The copy an installation leaves behind as "卸载.exe" uninstalls: its
// button (or "/S", without a window) writes the uninstall script into the
// folder it lies in and starts it hidden; the script removes the folder, the
// shortcuts and the registration after the program has ended.

// For "卸载.exe /S", before any window: the same checks, script and end.
// Ends the process: 0 when the script was started, otherwise the
// QuietUninstallResult that stopped it.
[[noreturn]] void RunQuietUninstall();

enum QuietUninstallResult : int {
    kUninstallStarted = 0,
    kNoAdministratorRights = 1,
    kNotAnInstallation = 2,  // the program's folder is not an installation of the product
    kScriptNotWritten = 3,
    kScriptNotStarted = 4,
    kLinkStays = 5,  // a link in the folder could not be removed: the script's "rd /s" would follow it
};
