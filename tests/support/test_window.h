#pragma once
// Plain top-level windows for tests that need an owner or a message target.
#include <windows.h>

// A borderless popup at the given place; `proc` defaults to DefWindowProcW.
HWND CreateTestWindow(int left, int top, int width, int height, bool visible, WNDPROC proc = nullptr);
