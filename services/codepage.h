#pragma once
// Conversions between the program's code page 936 texts and the UTF-16 the
// wide Windows functions take. Every call that passes a name or path to
// Windows goes through these, so Chinese names come out right on a system
// whose own ANSI code page is not 936.
#include <string>
#include <string_view>

#include "services/core/values.h"

inline constexpr unsigned kChineseCodePage = 936;

std::wstring ToWideText(std::string_view text, unsigned codePage = kChineseCodePage);
// Characters the code page cannot hold come out as its replacement character.
Text FromWideText(std::wstring_view wide, unsigned codePage = kChineseCodePage);

// A name the ANSI ("A") functions can open on this system: the text itself
// when the system code page is 936 or the name survives the round trip, else
// the short form of the path (empty when there is none).
std::string ToAnsiPath(std::string_view path);
