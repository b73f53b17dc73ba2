// Asks the window with the title named on the command line to close, as the
// taskbar's Close and Alt+F4 do: WM_SYSCOMMAND with SC_CLOSE. Exits 0 once
// the request is posted, 1 when no such window is found.
#include <windows.h>

int wmain(int count, wchar_t** words) {
    if (count != 2) return 2;
    HWND window = FindWindowW(nullptr, words[1]);
    if (!window) return 1;
    return PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
}
