#pragma once
// The one way out after a fatal runtime error. The Windows frame shows the
// error box and ends the process with exit code -1; the test programs supply
// their own version that lets a test observe the report.
#include <string_view>

#include "services/core/values.h"

[[noreturn]] void ReportFatalError(std::string_view message, int number, int first, int second);

// The box text: "运行时出错!" heading, the error code when not 0, the message
// when not empty, then the detail text (positions and names).
Text FormatFatalText(std::string_view message, int number, std::string_view detail);

// The detail text when no window is involved: "\r\n<first>, <second>\r\n".
Text FormatFatalDetail(int first, int second);

// The detail text when `first` is a window identifier: the positions, then
// the window's name in double quotes and the control's (or that the control
// or the window was not found).
struct FatalWindowContext {
    bool windowLoaded = false;
    std::string_view windowName;
    const Text* controlName = nullptr;  // none: `second` names no control of it
};
Text FormatFatalDetail(int first, int second, const FatalWindowContext& window);

// The text of runtime error `number` (1 to 11); empty for another number.
std::string_view RuntimeErrorText(int number);

// Checks an invariant that cannot fail; a broken one is reported, not ignored.
inline void CheckInvariant(bool holds, std::string_view what) {
    if (!holds) ReportFatalError(what, 0, 0, 0);
}
