#include "installer/core/uninstall_texts.h"

#include <cstddef>

// Generated from installer/texts by the build.
extern const std::uint8_t kUninstallScript[], kUninstallInstructions[];
extern const std::size_t kUninstallScript_size, kUninstallInstructions_size;

std::span<const std::uint8_t> UninstallScript() { return {kUninstallScript, kUninstallScript_size}; }
std::span<const std::uint8_t> UninstallInstructions() { return {kUninstallInstructions, kUninstallInstructions_size}; }
