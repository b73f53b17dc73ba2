#pragma once
#include <string_view>

#include "services/core/values.h"

// The shell's verbs and show modes, by the numbers ShellRun takes; any
// other verb is the default action, any other show mode normal.
enum ShellVerb : int { kVerbEdit = 1, kVerbExplore = 2, kVerbFind = 3, kVerbOpen = 4, kVerbPrint = 5 };
enum ShellShow : int {
    kShowHidden = 1,
    kShowNormal = 2,
    kShowMinimized = 3,
    kShowMaximized = 4,
    kShowNoActivate = 5,
    kShowMinimize = 6,
};
// Returns the shell's result: above 32 is success.
int ShellRun(int verb, std::string_view file, std::string_view parameters = {}, std::string_view folder = {},
             int showMode = 0);
