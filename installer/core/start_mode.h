#pragma once
// How the program was started: its file name decides between installer and
// uninstaller; "/S" makes the uninstaller quiet (what package managers run).
#include <string_view>

enum class StartMode {
    Install,         // any other file name
    Uninstall,       // a file name holding "卸载": the uninstall page
    QuietUninstall,  // the same with "/S": no window, no click
};

// `fileName` without directory; `arguments` the command line after the
// program's own name.
StartMode StartModeOf(std::string_view fileName, std::string_view arguments);
