#pragma once
// Path rules of the file and shell services that need no system call.
#include <cstdint>
#include <string_view>

#include "services/core/values.h"

struct ProgramPathParts {
    Text directory;  // without trailing backslash; empty when the path has none
    Text fileName;
};
ProgramPathParts SplitProgramPath(std::string_view fullPath);

// Leading spaces skipped: empty, or a letter, a colon and nothing but
// backslashes. Such paths are never deleted as a tree.
bool IsEmptyOrDriveRoot(std::string_view path);

// ".lnk" is appended when the whole path holds no dot at all.
Text ShortcutFileName(std::string_view link);

// A path with a trailing backslash (added when missing; empty stays empty).
Text WithTrailingBackslash(std::string_view path);

// The string table of a version resource: language and code page, each as
// the last four digits of lower-case hexadecimal.
Text VersionTableName(std::uint16_t language, std::uint16_t codePage);
inline constexpr std::string_view kDefaultVersionTable = "040904E4";
