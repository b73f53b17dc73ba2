#pragma once
// While the installation runs, the installation window grows a picture of
// the client's main screen line by line; when it is complete the window
// glows and the chosen shortcuts are made (OnShortcutStep, bound in the
// layout, on the user-interface thread).
#include <windows.h>

#include <cstdint>

// The animation thread's body.
DWORD WINAPI AnimateInstallWindow(void*);

// One element: from its current value to `designed` in 22 steps that each
// take a tenth of what is left, after half a second.
void GrowProperty(std::uint32_t window, std::uint32_t control, int property, std::int32_t designed);
