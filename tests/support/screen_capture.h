#pragma once
// Reading back what the screen shows, for tests under Wine on Xvfb.
#include <windows.h>

#include <ostream>

struct Rgb {
    int r, g, b;
    bool Near(Rgb other, int tolerance) const;
};
std::ostream& operator<<(std::ostream& out, Rgb colour);

Rgb ScreenPixel(int x, int y);

// Keeps the screen's `area` as a BMP file beside the test program, for a
// person to look at.
void SaveScreen(const wchar_t* name, const RECT& area);
