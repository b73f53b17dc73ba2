#pragma once
#include <string_view>

#include "services/core/values.h"

// Verbs: 1 "edit", 2 "explore", 3 "find", 4 "open", 5 "print"; anything else
// the default action. Show modes: 1 hidden, 2 normal, 3 minimized,
// 4 maximized, 5 shown without activation, 6 minimize; anything else normal.
// Returns the shell's result: above 32 is success.
int ShellRun(int verb, std::string_view file, std::string_view parameters = {}, std::string_view folder = {},
             int showMode = 0);
