#include "services/core/text.h"

#include <algorithm>

namespace {

unsigned char LowerAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

std::size_t CharWidth(std::string_view text, std::size_t at) {
    return IsLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
}

// Compares sought with region at `at` (enough bytes remain). Case folding only
// touches single-byte characters of sought: the trail byte of a double-byte
// character is compared exactly even when it looks like a letter.
bool MatchesAt(std::string_view region, std::size_t at, std::string_view sought, bool ignoreCase) {
    if (!ignoreCase) return region.compare(at, sought.size(), sought) == 0;
    for (std::size_t i = 0; i < sought.size();) {
        auto s = static_cast<unsigned char>(sought[i]);
        auto r = static_cast<unsigned char>(region[at + i]);
        if (IsLeadByte(s) && i + 1 < sought.size()) {
            if (s != r || sought[i + 1] != region[at + i + 1]) return false;
            i += 2;
        } else {
            if (LowerAscii(s) != LowerAscii(r)) return false;
            i += 1;
        }
    }
    return true;
}

// Visits each character start of region where sought could still fit; the
// visitor returns false to stop. A lead byte at the very end ends the walk.
template <class Visit>
void WalkCandidates(std::string_view region, std::size_t sought, Visit visit) {
    for (std::size_t at = 0; at < region.size();) {
        if (region.size() - at >= sought && !visit(at)) return;
        std::size_t width = CharWidth(region, at);
        if (at + width > region.size()) return;
        at += width;
    }
}

}  // namespace

Text LeftText(std::string_view text, int n) {
    if (n <= 0) return {};
    return Text(text.substr(0, static_cast<std::size_t>(n)));
}

Text MidText(std::string_view text, int start, int n) {
    if (start < 1 || static_cast<std::size_t>(start) > text.size() || n <= 0) return {};
    return Text(text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(n)));
}

Text CharText(int byteValue) { return Text(1, static_cast<char>(byteValue & 0xFF)); }

Text SpaceText(int n) { return n < 1 ? Text() : Text(static_cast<std::size_t>(n), ' '); }

Text ToLowerText(std::string_view text) {
    Text out(text);
    for (std::size_t i = 0; i < out.size();) {
        auto c = static_cast<unsigned char>(out[i]);
        if (IsLeadByte(c)) {
            i += 2;
        } else {
            out[i] = static_cast<char>(LowerAscii(c));
            i += 1;
        }
    }
    return out;
}

int FindText(std::string_view text, std::string_view sought, int start, bool ignoreCase) {
    if (start < 1) start = 1;
    if (static_cast<std::size_t>(start) > text.size()) return -1;
    std::string_view region = text.substr(static_cast<std::size_t>(start - 1));
    if (sought.empty()) return 1;
    int found = -1;
    WalkCandidates(region, sought.size(), [&](std::size_t at) {
        if (!MatchesAt(region, at, sought, ignoreCase)) return true;
        found = static_cast<int>(at) + start;
        return false;
    });
    return found;
}

int FindTextLast(std::string_view text, std::string_view sought, std::optional<int> start, bool ignoreCase) {
    std::string_view region = text;
    if (start) region = text.substr(0, static_cast<std::size_t>(std::max(*start - 1, 0)));
    if (sought.empty()) return region.empty() ? -1 : 1;
    int found = -1;
    WalkCandidates(region, sought.size(), [&](std::size_t at) {
        if (MatchesAt(region, at, sought, ignoreCase)) found = static_cast<int>(at) + 1;
        return true;
    });
    return found;
}

Text ReplaceText(std::string_view text, std::string_view sought, std::string_view replacement, int start,
                 std::optional<int> count, bool caseSensitive) {
    if (start < 1) start = 1;
    int remaining = (count && *count >= 0) ? *count : -1;
    if (text.empty() || sought.empty() || static_cast<std::size_t>(start) > text.size() || remaining == 0)
        return Text(text);

    Text out(text.substr(0, static_cast<std::size_t>(start - 1)));
    std::string_view region = text.substr(static_cast<std::size_t>(start - 1));
    std::size_t at = 0;
    while (at < region.size()) {
        bool fits = region.size() - at >= sought.size();
        if (remaining != 0 && fits && MatchesAt(region, at, sought, !caseSensitive)) {
            out += replacement;
            at += sought.size();
            if (remaining > 0) --remaining;
            continue;
        }
        std::size_t width = std::min(CharWidth(region, at), region.size() - at);
        out += region.substr(at, width);
        at += width;
    }
    return out;
}
