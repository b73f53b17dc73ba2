#pragma once
// The SHA-256 of a file, computed by the system's cryptography provider.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// None when the file cannot be read or the provider is missing.
std::optional<std::array<std::uint8_t, 32>> FileSha256(std::string_view path);
