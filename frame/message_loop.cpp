// The message loop of the user-interface thread, with the idle routines of
// the windows that still exist.
#include "controls/loaded_window.h"
#include "frame/application.h"
#include "frame/frame.h"

namespace {

bool AnyWindowAlive() {
    for (auto& window : App().windows)
        if (window->alive()) return true;
    return false;
}

void RunIdleRoutines() {
    std::vector<IdleEntry>& routines = App().idleRoutines;
    for (std::size_t i = 0; i < routines.size();) {
        LoadedWindow* window = FindLoadedWindow(routines[i].window);
        if (!window || !window->alive()) {
            routines.erase(routines.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        routines[i++].routine();
    }
}

// The Tab key moves the focus between the controls that take it.
bool MovesFocus(MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB) return false;
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    return root && IsDialogMessageW(root, &message);
}

}  // namespace

void AddIdleRoutine(std::uint32_t window, void (*routine)()) { App().idleRoutines.push_back({window, routine}); }

void RunMessageLoop() {
    if (!AnyWindowAlive()) return;
    MSG message;
    for (;;) {
        while (!PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            RunIdleRoutines();
            WaitMessage();
        }
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) return;
        if (MovesFocus(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
