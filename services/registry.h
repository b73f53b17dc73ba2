#pragma once
#include <cstdint>
#include <string_view>
#include <variant>

#include "services/core/values.h"

// Roots: 1 HKEY_CLASSES_ROOT, 2 HKEY_CURRENT_CONFIG, 3 HKEY_CURRENT_USER,
// 4 HKEY_LOCAL_MACHINE, 5 HKEY_USERS; anything else HKEY_CURRENT_USER.
// An integer is written as REG_DWORD, a text as REG_SZ, bytes as REG_BINARY.
using RegistryValue = std::variant<std::int32_t, Text, Bytes>;

// Which of the two registry views of 64-bit Windows a key is in; 32-bit
// Windows has one, and both name it.
enum class RegistryView { Native, Bits32 };

// `path` is the key path and the value name joined by a backslash; with no
// backslash the value goes to the root itself. Missing key levels are
// created. True if the value was written.
bool WriteRegistryValue(int root, std::string_view path, const RegistryValue& value,
                        RegistryView view = RegistryView::Native);

// Deletes the key (which must have no subkeys) with its values. True if it
// is gone, also when it was never there.
bool DeleteRegistryKey(int root, std::string_view keyPath, RegistryView view = RegistryView::Native);

// Whether the key exists.
bool RegistryKeyExists(int root, std::string_view keyPath, RegistryView view = RegistryView::Native);
