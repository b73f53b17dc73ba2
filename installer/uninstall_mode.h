#pragma once
// The copy an installation leaves behind as "卸载.exe" uninstalls: its
// button (or "/S", without a window) removes the shortcuts, writes the
// uninstall script into the folder it lies in and starts it hidden; the
// script removes the folder, the shortcuts and the registration.

// For "卸载.exe /S", before any window: the same checks, then the script,
// waited for. Ends the process with a QuietUninstallResult: 0 only when the
// folder and the registration are gone.
[[noreturn]] void RunQuietUninstall();

enum QuietUninstallResult : int {
    kUninstalled = 0,
    kNoAdministratorRights = 1,
    kNotAnInstallation = 2,  // the program's folder is not an installation of the product
    kScriptNotWritten = 3,
    kScriptNotStarted = 4,
    kLinkStays = 5,          // a link in the folder could not be removed: the script's "rd /s" would follow it
    kFilesStay = 6,          // the script ended and files of the installation are still there
    kRegistrationStays = 7,  // the script ended, the files are gone, the registry key is not
    kScriptDidNotEnd = 8,    // still running after two minutes
};
