// Entry of the installer. Until the window framework takes over, it shows a
// plain window of the main window's size so that the build can be run and
// looked at end to end.
#include <windows.h>

#include "services/codepage.h"
#include "window/shadow.h"

namespace {

constexpr int kWidth = 1215, kHeight = 750;
constexpr COLORREF kSkin = RGB(24, 26, 33), kAccent = RGB(250, 200, 101);

LRESULT CALLBACK PlaceholderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            RECT area;
            GetClientRect(window, &area);
            HBRUSH skin = CreateSolidBrush(kSkin);
            FillRect(dc, &area, skin);
            DeleteObject(skin);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, kAccent);
            std::wstring title = ToWideText("Tavrin 端口映射");
            // Microsoft YaHei where it exists; the font mapper falls back to a CJK face elsewhere.
            HFONT font = CreateFontW(-30, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                                     ToWideText("微软雅黑").c_str());
            HGDIOBJ old = SelectObject(dc, font);
            DrawTextW(dc, title.c_str(), -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            SelectObject(dc, old);
            DeleteObject(font);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = PlaceholderProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = L"TavrinSetupPlaceholder";
    RegisterClassW(&windowClass);
    int left = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2, top = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, ToWideText("Tavrin 端口映射").c_str(), WS_POPUP,
                                  left, top, kWidth, kHeight, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    ShadowInfo shadow{MakeArgb(0, 0, 0, 50), 30.0f, 1, 1, 0, nullptr};
    if (ShadowRegisterClass()) ShadowAttach(window, &shadow);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
