// Fatal runtime errors: the error box, then the end of the process with exit
// code -1. The exit callbacks are not run: after a fatal error the program's
// own state can no longer be trusted.
#include <windows.h>

#include "controls/loaded_window.h"
#include "frame/application.h"
#include "frame/core/fatal.h"
#include "services/codepage.h"

namespace {

Text Detail(int first, int second) {
    if (!FindWindowDescription(static_cast<std::uint32_t>(first))) return FormatFatalDetail(first, second);
    FatalWindowContext context;
    LoadedWindow* window = FindLoadedWindow(static_cast<std::uint32_t>(first));
    if (window) {
        context.windowLoaded = true;
        context.windowName = window->name();
        if (Control* control = window->Find(static_cast<std::uint32_t>(second))) context.controlName = &control->name();
    }
    return FormatFatalDetail(first, second, context);
}

}  // namespace

void ReportFatalError(std::string_view message, int number, int first, int second) {
    ErrorNestingCounter().fetch_add(1);
    Text text = FormatFatalText(message, number, Detail(first, second));
    // The box's own message loop keeps the windows painted; the nesting
    // counter keeps every event handler from running meanwhile.
    MessageBoxW(nullptr, ToWideText(text).c_str(), ToWideText("错误").c_str(), MB_ICONERROR);
    App().skipExitCallbacks.store(true);
    ShutDown(-1);
    ExitProcess(static_cast<UINT>(-1));
}
