// A stand-in for the Tavrin client, for the demo and the tests: a small
// window titled "Tavrin 端口映射" and, when started, a marker file
// "tavrin-started.txt" beside itself with its command line, so a test can see
// that it ran. With TAVRIN_DEMO_CLIENT_SECONDS set it closes by itself after
// that many seconds. "--hold FILE" (for the tests, under another name) keeps
// FILE open without sharing while it runs, so FILE cannot be deleted.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

namespace {

constexpr UINT_PTR kCloseTimer = 1;

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

void LeaveMarker() {
    HANDLE file = CreateFileW((OwnFolder() + L"tavrin-started.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::wstring line = GetCommandLineW();
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes > 0 ? bytes - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            RECT area;
            GetClientRect(window, &area);
            SetBkMode(dc, TRANSPARENT);
            DrawTextW(dc, L"Tavrin 端口映射客户端（演示）", -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_TIMER:
            if (wParam == kCloseTimer) DestroyWindow(window);
            return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The file after "--hold", opened without sharing; null when not asked.
HANDLE HoldFileIfAsked() {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    HANDLE held = nullptr;
    if (words && count == 3 && std::wstring(words[1]) == L"--hold")
        held = CreateFileW(words[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    LocalFree(words);
    return held;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
    HANDLE held = HoldFileIfAsked();
    if (!held) LeaveMarker();
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"TavrinDemoClient";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"TavrinDemoClient", L"Tavrin 端口映射", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 480, 320, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    if (const char* seconds = std::getenv("TAVRIN_DEMO_CLIENT_SECONDS"))
        SetTimer(window, kCloseTimer, static_cast<UINT>(std::atoi(seconds)) * 1000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (held && held != INVALID_HANDLE_VALUE) CloseHandle(held);
    return 0;
}
