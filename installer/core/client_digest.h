#pragma once
// The SHA-256 the downloaded client must have before it is installed: from
// "up.ini", or built in for the built-in download address.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

using Sha256 = std::array<std::uint8_t, 32>;

// 64 hexadecimal digits, either case, blanks around them allowed.
std::optional<Sha256> ParseSha256(std::string_view text);

struct ExpectedDigest {
    bool required = false;
    // Empty while required: the text given was no digest, and no file can
    // match it (a publisher who asked for a check gets one that fails).
    std::optional<Sha256> value;
};

// The digest from "up.ini" when one is written there; otherwise the built-in
// one, which belongs to the built-in address only.
ExpectedDigest ChooseExpectedDigest(std::string_view fromIni, std::string_view builtIn, bool builtInAddress);

bool DigestMatches(const ExpectedDigest& expected, const std::optional<Sha256>& actual);
