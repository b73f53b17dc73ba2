#pragma once
// The status strip's notices: the one way the installer tells the user how
// things go. Callable from any thread.
#include <string_view>

// Shows `text` on the strip in the colour of `kind` (0 green, 1 red, any
// other orange) for `seconds` (0 means 3), then fades and hides it. Dropped
// while the main window is hidden. A notice while one is shown replaces its
// text, colour and countdown.
void ShowNotice(std::string_view text, int kind, int seconds);

// The colour value of a notice kind.
unsigned NoticeColour(int kind);
