// Fatal runtime errors: the error box, then the end of the process with exit
// code -1. The exit callbacks are not run: after a fatal error the program's
// own state can no longer be trusted.
#include "frame/fatal_report.h"

#include <windows.h>

#include "frame/core/fatal.h"
#include "services/codepage.h"

std::atomic<int>& ErrorNestingCounter() {
    static std::atomic<int> counter{0};
    return counter;
}

void ReportFatalError(std::string_view message, int number, int first, int second) {
    ErrorNestingCounter().fetch_add(1);
    Text text = FormatFatalText(message, number, FormatFatalDetail(first, second));
    MessageBoxW(nullptr, ToWideText(text).c_str(), ToWideText("错误").c_str(), MB_ICONERROR);
    ExitProcess(static_cast<UINT>(-1));
}
