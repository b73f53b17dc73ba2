#pragma once
// One installer at a time: a 4-byte named section holds the first
// instance's main window; a later instance brings that window forward and
// ends.
#include <windows.h>

#include <string_view>

// True if another instance was found, in which case this process has been
// ended already (exit code 0). The first instance publishes `window` and
// keeps the section for its whole life. An empty name means the program's
// full path.
bool GuardSingleInstance(HWND window, std::string_view name);

// Restores and raises `target` over the foreground window; returns the
// window that was in front if the target came to the front, else 0.
HWND BringWindowForward(HWND target);
