#pragma once
// Text slicing, searching and case operations on code page 936 byte strings.
// Positions and lengths are byte counts, positions 1-based, -1 = not found.
// Searches walk character by character: a byte of 0x80 or more is a lead byte
// and the byte after it its trail, and no match ever starts on a trail byte.
#include <optional>
#include <string_view>

#include "services/core/values.h"

inline bool IsLeadByte(unsigned char byte) { return byte >= 0x80; }

Text LeftText(std::string_view text, int n);
Text MidText(std::string_view text, int start, int n);
Text CharText(int byteValue);
Text SpaceText(int n);
Text ToLowerText(std::string_view text);

int FindText(std::string_view text, std::string_view sought, int start = 1, bool ignoreCase = false);
// With start given, only the first start - 1 bytes are searched.
int FindTextLast(std::string_view text, std::string_view sought, std::optional<int> start = std::nullopt,
                 bool ignoreCase = false);

// count: how many to replace, all when absent (or negative). Case is ignored
// (ASCII only) unless caseSensitive is set.
Text ReplaceText(std::string_view text, std::string_view sought, std::string_view replacement = {}, int start = 1,
                 std::optional<int> count = std::nullopt, bool caseSensitive = false);
