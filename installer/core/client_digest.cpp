#include "installer/core/client_digest.h"

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20) text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) text.remove_suffix(1);
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<Sha256> ParseSha256(std::string_view text) {
    text = TrimBlanks(text);
    Sha256 digest{};
    if (text.size() != digest.size() * 2) return std::nullopt;
    for (std::size_t i = 0; i < digest.size(); ++i) {
        int high = HexDigit(text[2 * i]), low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        digest[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return digest;
}

ExpectedDigest ChooseExpectedDigest(std::string_view fromIni, std::string_view builtIn, bool builtInAddress) {
    if (!TrimBlanks(fromIni).empty()) return {true, ParseSha256(fromIni)};
    if (builtInAddress && !TrimBlanks(builtIn).empty()) return {true, ParseSha256(builtIn)};
    return {};
}

bool DigestMatches(const ExpectedDigest& expected, const std::optional<Sha256>& actual) {
    if (!expected.required) return true;
    return expected.value && actual && *expected.value == *actual;
}
