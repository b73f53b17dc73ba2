#pragma once
// Names for a download whose file already exists: a.exe, a(1).exe, a(2).exe ...
#include <functional>
#include <optional>
#include <string_view>

#include "services/core/values.h"

inline constexpr int kRenameAttempts = 99;
inline constexpr std::size_t kPathLimit = 260;

// The next name after `name` (no folder), or none when it cannot be formed.
std::optional<Text> NextFileName(std::string_view name);

struct RenameResult {
    enum Outcome { Renamed, NoName, TooManyAttempts } outcome;
    Text path;  // the new path when Renamed
};
// Walks the names from `path` until `exists` says one is free, at most 99
// attempts; a new path must fit 260 bytes with its ending 0.
RenameResult AutoRenamePath(std::string_view path, const std::function<bool(const Text&)>& exists);
