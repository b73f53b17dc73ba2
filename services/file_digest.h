#pragma once
// SHA-256, computed by the system's cryptography provider.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// None when the file cannot be read or the provider is missing.
std::optional<std::array<std::uint8_t, 32>> FileSha256(std::string_view path);
// None when the provider is missing.
std::optional<std::array<std::uint8_t, 32>> BytesSha256(std::span<const std::uint8_t> bytes);
