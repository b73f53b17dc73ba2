#pragma once
// The two texts an installation leaves for its removal, byte for byte as
// stored in installer/texts (code page 936, CR LF, no line break at the end).
#include <cstdint>
#include <span>

// "Uninstall.bat"
std::span<const std::uint8_t> UninstallScript();
// "卸载说明.txt"
std::span<const std::uint8_t> UninstallInstructions();
