#pragma once
// The border styles the picture box and the label share: 0 none, 1 a
// single black line, 2 sunken, 3 raised, 4 etched, 5 bump; each returns the
// area left inside it.
#include <windows.h>

RECT DrawBorder(HDC dc, const RECT& area, int style);

// A 1-pixel outline of `box` in `color`, inside it.
void FrameOnePixel(HDC dc, const RECT& box, COLORREF color);
