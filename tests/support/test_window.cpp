#include "tests/support/test_window.h"

HWND CreateTestWindow(int left, int top, int width, int height, bool visible, WNDPROC proc) {
    static const wchar_t* const kClass = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TavrinTestWindow";
        RegisterClassW(&windowClass);
        return L"TavrinTestWindow";
    }();
    HWND window = CreateWindowExW(0, kClass, L"test", WS_POPUP | (visible ? WS_VISIBLE : 0), left, top, width, height,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window && proc) SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    return window;
}
