// Start-up of the frame: the services, the hidden owner window, the layout
// description and its handlers.
#include "frame/application.h"

#include <objbase.h>

#include "controls/loaded_window.h"
#include "frame/core/fatal.h"
#include "services/codepage.h"
#include "services/program.h"

Application& App() {
    static Application application;
    return application;
}

std::atomic<int>& ErrorNestingCounter() {
    static std::atomic<int> counter{0};
    return counter;
}

bool OnUserInterfaceThread() { return GetCurrentThreadId() == App().userInterfaceThread; }

const WindowDescription* FindWindowDescription(std::uint32_t id) {
    for (const WindowDescription& window : App().layout.windows)
        if (window.id == id) return &window;
    return nullptr;
}

LoadedWindow* FindLoadedWindow(std::uint32_t id) {
    std::lock_guard guard(App().windowsLock);
    for (auto& window : App().windows)
        if (window->id() == id) return window.get();
    return nullptr;
}

LoadedWindow& AddLoadedWindow(std::unique_ptr<LoadedWindow> window) {
    std::lock_guard guard(App().windowsLock);
    // First in the list: a window loaded again is found before its destroyed predecessor.
    return **App().windows.insert(App().windows.begin(), std::move(window));
}

namespace {

constexpr char kLayoutUnreadable[] = "载入窗口模板数据段出错!";

struct Work {
    frame_detail::WorkFunction function;
    void* context;
};

LRESULT CALLBACK HiddenOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kShutDownMessage: ShutDown(static_cast<int>(wParam)); return 0;
        case kRunWorkMessage: {
            auto* work = reinterpret_cast<Work*>(lParam);
            work->function(work->context);
            return 1;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void CreateHiddenOwner() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = HiddenOwnerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = L"TavrinOwner";
    RegisterClassExW(&windowClass);
    App().hiddenOwner = CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                        nullptr, windowClass.hInstance, nullptr);
    App().userInterfaceThread = GetCurrentThreadId();
}

// The stored layout description is an RCDATA resource named LAYOUT.
std::span<const std::uint8_t> LinkedLayout() {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, L"LAYOUT", MAKEINTRESOURCEW(10));
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return {static_cast<const std::uint8_t*>(data), SizeofResource(module, resource)};
}

// Handler offsets index the program's handler table; one outside it makes
// the description unreadable, like any other damage.
void ResolveHandlers() {
    std::span<const EventHandler> table = LayoutHandlers();
    for (const WindowDescription& window : App().layout.windows) {
        for (const ControlRecord& control : window.controls) {
            std::vector<BoundHandler>& bound = App().handlers[{window.id, control.id}];
            for (const EventBinding& event : control.events) {
                if (event.handlerOffset == -1) continue;
                if (event.handlerOffset < 0 || static_cast<std::size_t>(event.handlerOffset) >= table.size() ||
                    !table[event.handlerOffset])
                    ReportFatalError(kLayoutUnreadable, 0, 0, 0);
                bound.push_back({event.number, table[event.handlerOffset]});
            }
        }
    }
}

}  // namespace

namespace frame_detail {
bool RunWork(WorkFunction function, void* context) {
    if (App().shuttingDown.load() || !App().hiddenOwner) return false;
    Work work{function, context};
    return SendMessageW(App().hiddenOwner, kRunWorkMessage, 0, reinterpret_cast<LPARAM>(&work)) == 1;
}
}  // namespace frame_detail

void StartFrame() {
    Application& app = App();
    app.heap = GetProcessHeap();
    if (!app.oleInitialized) app.oleInitialized = SUCCEEDED(OleInitialize(nullptr));
    // The program's folder becomes the current directory: relative names
    // ("up.ini") are the program's neighbours wherever it was started from.
    if (!GetProgramDir().empty()) SetCurrentDirectoryW(ToWideText(GetProgramDir()).c_str());
    CreateHiddenOwner();
    std::optional<LayoutDescription> layout = ReadLayout(LinkedLayout());
    if (!layout) ReportFatalError(kLayoutUnreadable, 0, 0, 0);
    app.layout = std::move(*layout);
    ResolveHandlers();
}
