#pragma once
// Fonts of the controls, made from the stored 60-byte LOGFONTA. A face that
// is not installed ("微软雅黑" on most systems that are not Chinese Windows)
// is replaced by the first installed face of a list of CJK-capable ones, so
// Chinese text never comes out as boxes while any such font exists.
#include <windows.h>

#include <string>

#include "services/core/values.h"

// The font for `block`; the stock GUI font for an empty or short block.
// Owned by the font cache until EndFonts.
HFONT FontFromBlock(const Bytes& block);

// The face used for `face`: itself when installed, else the fallback.
std::wstring InstalledFace(const std::wstring& face);

// Frees every font made (at program end).
void EndFonts();
