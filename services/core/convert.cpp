#include "services/core/convert.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "frame/core/fatal.h"

namespace {

template <class... Args>
Text Format(const char* format, Args... args) {
    char buffer[64];
    int n = std::snprintf(buffer, sizeof buffer, format, args...);
    return Text(buffer, static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(sizeof buffer) - 1)));
}

constexpr double kFirstDay = -657434;  // 1 January 100
constexpr double kLastDay = 2958465;   // 31 December 9999

// Civil date from days since 1970-01-01 (proleptic Gregorian).
void CivilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

Text ToText(std::uint8_t value) { return std::to_string(value); }
Text ToText(std::int16_t value) { return std::to_string(value); }
Text ToText(std::int32_t value) { return std::to_string(value); }
Text ToText(std::int64_t value) { return std::to_string(value); }
Text ToText(float value) { return Format("%.6g", static_cast<double>(value)); }
Text ToText(double value) { return Format("%.13g", value); }
Text ToText(std::string_view value) { return Text(value); }

Text ToText(const Bytes& value) {
    auto end = std::find(value.begin(), value.end(), std::uint8_t{0});
    return Text(value.begin(), end);
}

CalendarTime ToCalendar(DateTime value) {
    double days = std::clamp(std::isnan(value.days) ? 0.0 : value.days, kFirstDay, kLastDay);
    // The whole part counts days; the fraction is the time of that day even
    // for dates before 1899-12-30 (-1.25 is 29 December, 06:00).
    double whole = std::trunc(days);
    double fraction = std::fabs(days - whole);
    long long seconds = std::llround(fraction * 86400.0);
    if (seconds >= 86400) {  // rounding reached midnight of the next day
        seconds -= 86400;
        whole += days < 0 ? -1 : 1;
    }
    CalendarTime t{};
    CivilFromDays(static_cast<long long>(whole) - 25569, t.year, t.month, t.day);
    t.hour = static_cast<int>(seconds / 3600);
    t.minute = static_cast<int>(seconds / 60 % 60);
    t.second = static_cast<int>(seconds % 60);
    return t;
}

Text ToText(DateTime value) {
    CalendarTime t = ToCalendar(value);
    return Format("%d年%d月%d日%d时%d分%d秒", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

Text FoldFullWidth(std::string_view text) {
    Text out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        auto lead = static_cast<unsigned char>(text[i]);
        if (!(lead >= 0x80) || i + 1 >= text.size()) {
            out += text[i];
            i += 1;
            continue;
        }
        auto trail = static_cast<unsigned char>(text[i + 1]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE)
            out += static_cast<char>(trail - 0x80);
        else if (lead == 0xA1 && trail == 0xA1)
            out += ' ';
        else
            out.append(text.substr(i, 2));
        i += 2;
    }
    return out;
}

std::int32_t ToInteger(std::string_view text) {
    Text folded = FoldFullWidth(text);
    std::size_t i = 0;
    auto isBlank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < folded.size() && isBlank(folded[i])) ++i;
    bool negative = false;
    if (i < folded.size() && (folded[i] == '+' || folded[i] == '-')) negative = folded[i++] == '-';
    long long magnitude = 0;
    constexpr long long kLimit = 1LL << 31;
    for (; i < folded.size() && folded[i] >= '0' && folded[i] <= '9'; ++i)
        magnitude = std::min(magnitude * 10 + (folded[i] - '0'), kLimit);
    long long value = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(std::clamp<long long>(value, std::numeric_limits<std::int32_t>::min(),
                                                           std::numeric_limits<std::int32_t>::max()));
}

std::int32_t ToInteger(double value) {
    constexpr double kMin = -2147483648.0, kMax = 2147483647.0;
    if (std::isnan(value)) return std::numeric_limits<std::int32_t>::min();
    double t = std::trunc(value);
    if (t < kMin || t > kMax) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(t);
}

namespace {

template <class T>
T ReadPadded(const Bytes& bytes, std::size_t at) {
    unsigned char raw[sizeof(T)] = {};
    if (at < bytes.size()) std::memcpy(raw, bytes.data() + at, std::min(sizeof(T), bytes.size() - at));
    T value;
    std::memcpy(&value, raw, sizeof(T));
    return value;
}

std::size_t KindSize(ValueKind kind) {
    switch (kind) {
        case ValueKind::Byte: return 1;
        case ValueKind::Short: return 2;
        case ValueKind::Integer:
        case ValueKind::Boolean:
        case ValueKind::Subroutine: return 4;
        case ValueKind::Float: return 4;
        case ValueKind::Long:
        case ValueKind::Double:
        case ValueKind::DateTimeKind: return 8;
        case ValueKind::TextKind: return 0;
    }
    return 0;
}

}  // namespace

Value BytesToValue(const Bytes& bytes, int kind, int* position) {
    if (kind < 1 || kind > 10) ReportFatalError("“欲取出数据的类型”参数值无效", 0, 0, 0);
    auto valueKind = static_cast<ValueKind>(kind);
    int pos = position ? *position : 1;
    // A position before the start or already past the end reads from beyond
    // the data, which gives zeros (or an empty text).
    std::size_t at = (pos >= 1) ? static_cast<std::size_t>(pos - 1) : bytes.size();

    Value value;
    std::size_t consumed = KindSize(valueKind);
    switch (valueKind) {
        case ValueKind::Byte: value = ReadPadded<std::uint8_t>(bytes, at); break;
        case ValueKind::Short: value = ReadPadded<std::int16_t>(bytes, at); break;
        case ValueKind::Integer: value = ReadPadded<std::int32_t>(bytes, at); break;
        case ValueKind::Long: value = ReadPadded<std::int64_t>(bytes, at); break;
        case ValueKind::Float: value = ReadPadded<float>(bytes, at); break;
        case ValueKind::Double: value = ReadPadded<double>(bytes, at); break;
        case ValueKind::Boolean: value = ReadPadded<std::int32_t>(bytes, at) != 0; break;
        case ValueKind::DateTimeKind: {
            double days = std::clamp(ReadPadded<double>(bytes, at), kFirstDay, kLastDay);
            value = DateTime{std::isnan(days) ? 0.0 : days};
            break;
        }
        case ValueKind::Subroutine: value = SubroutineAddress{ReadPadded<std::uint32_t>(bytes, at)}; break;
        case ValueKind::TextKind: {
            Text text;
            std::size_t i = at;
            while (i < bytes.size() && bytes[i] != 0) text += static_cast<char>(bytes[i++]);
            consumed = i - std::min(at, bytes.size()) + 1;  // past the ending 0 byte
            value = std::move(text);
            break;
        }
    }
    if (position) {
        long long next = (pos >= 1) ? static_cast<long long>(at) + static_cast<long long>(consumed) + 1 : -1;
        *position = (next < 1 || next > static_cast<long long>(bytes.size())) ? -1 : static_cast<int>(next);
    }
    return value;
}

Bytes LeftBytes(const Bytes& bytes, int n) {
    auto count = static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(bytes.size())));
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

Bytes ZeroBytes(int n) { return n <= 0 ? Bytes() : Bytes(static_cast<std::size_t>(n), 0); }

Bytes MemoryToBytes(const void* address, int length) {
    if (!address || length <= 0) return {};
    auto* p = static_cast<const std::uint8_t*>(address);
    return Bytes(p, p + length);
}
