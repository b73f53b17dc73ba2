#pragma once
// Conversions between texts, numbers and byte arrays.
#include <concepts>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>
#include <variant>

#include "services/core/values.h"

// Integers in decimal, float "%.6g", double "%.13g", booleans "真"/"假",
// a byte array up to its first 0 byte, a text as it is.
Text ToText(std::uint8_t value);
Text ToText(std::int16_t value);
Text ToText(std::int32_t value);
Text ToText(std::int64_t value);
Text ToText(float value);
Text ToText(double value);
Text ToText(DateTime value);
Text ToText(const Bytes& value);
Text ToText(std::string_view value);
inline Text ToText(const char* value) { return ToText(std::string_view(value ? value : "")); }
template <std::same_as<bool> B>
Text ToText(B value) {
    return value ? "真" : "假";
}

// Full-width characters fold to half width first, then the leading decimal
// number is read as atoi does (blanks and sign allowed, 0 if none, clamped
// to 32 bits). Floating values truncate toward zero; out of range and NaN
// give 0x80000000, as the processor's own conversion does.
std::int32_t ToInteger(std::string_view text);
std::int32_t ToInteger(double value);
inline std::int32_t ToInteger(float value) { return ToInteger(static_cast<double>(value)); }
inline std::int32_t ToInteger(SubroutineAddress value) { return static_cast<std::int32_t>(value.address); }
template <std::same_as<bool> B>
std::int32_t ToInteger(B value) {
    return value ? 1 : 0;
}

// Folds the full-width forms of code page 936 (A3A1..A3FE and the ideographic
// space A1A1) to their ASCII counterparts; other characters stay.
Text FoldFullWidth(std::string_view text);

template <class T>
concept MachineNumber = std::is_arithmetic_v<T> && !std::same_as<T, bool>;

inline Bytes ToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }
template <MachineNumber T>
Bytes ToBytes(T value) {
    Bytes out(sizeof(T));
    std::memcpy(out.data(), &value, sizeof(T));  // the targets are little-endian
    return out;
}
template <MachineNumber T>
Bytes ToBytes(std::span<const T> values) {
    Bytes out(values.size_bytes());
    if (!values.empty()) std::memcpy(out.data(), values.data(), values.size_bytes());
    return out;
}
inline Bytes ToBytes(bool value) { return ToBytes(static_cast<std::int32_t>(value ? 1 : 0)); }

// One value read back from a byte array, by kind 1 to 10.
enum class ValueKind : int {
    Byte = 1,     // 8-bit unsigned
    Short = 2,    // 16-bit
    Integer = 3,  // 32-bit
    Long = 4,     // 64-bit
    Float = 5,
    Double = 6,
    Boolean = 7,  // 32-bit, non-zero is true
    DateTimeKind = 8,
    Subroutine = 9,  // 32-bit address
    TextKind = 10,   // up to the first 0 byte or the end
};
using Value = std::variant<std::uint8_t, std::int16_t, std::int32_t, std::int64_t, float, double, bool, DateTime,
                           SubroutineAddress, Text>;

// position: 1-based, read from and advanced past the value; it becomes -1
// once it passes the end (and a -1 reads zeros). A value cut short by the
// end is padded with zeros. A kind outside 1 to 10 is a fatal error.
Value BytesToValue(const Bytes& bytes, int kind, int* position = nullptr);

Bytes LeftBytes(const Bytes& bytes, int n);
Bytes ZeroBytes(int n);
Bytes MemoryToBytes(const void* address, int length);
inline int ByteLength(const Bytes& bytes) { return static_cast<int>(bytes.size()); }

// Days since 1899-12-30 split into the calendar fields, for ToText.
struct CalendarTime {
    int year, month, day, hour, minute, second;
};
CalendarTime ToCalendar(DateTime value);
