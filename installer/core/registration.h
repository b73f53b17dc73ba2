#pragma once
// The product's entry in the system's list of installed programs, from the
// installation folder and the client's version.
#include <cstdint>
#include <string_view>
#include <variant>
#include <vector>

#include "services/core/values.h"

// In the 32-bit view: on 64-bit Windows that is WOW6432Node's copy, where a
// 32-bit program's entry belongs; on 32-bit Windows the only one.
inline constexpr std::string_view kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\tavrin";
inline constexpr std::string_view kDisplayName = "Tavrin 端口映射";

struct RegistryEntry {
    Text name;
    std::variant<std::int32_t, Text> data;  // REG_DWORD or REG_SZ
};

struct InstalledProduct {
    Text folder;                  // the installation folder, any trailing backslashes
    Text fileVersion;             // the client's FileVersion; empty: "1.0.0.0"
    std::int64_t installedBytes;  // every file the installation wrote into the folder
    int year, month, day;         // the day of the installation
};

// The values in the order they are written.
std::vector<RegistryEntry> ProductRegistration(const InstalledProduct& product);
