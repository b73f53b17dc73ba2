#include "services/core/paths.h"

#include <cstdio>

#include "services/core/text.h"

ProgramPathParts SplitProgramPath(std::string_view fullPath) {
    int slash = FindTextLast(fullPath, "\\");
    if (slash < 0) return {Text(), Text(fullPath)};
    auto at = static_cast<std::size_t>(slash - 1);
    return {Text(fullPath.substr(0, at)), Text(fullPath.substr(at + 1))};
}

bool IsEmptyOrDriveRoot(std::string_view path) {
    std::size_t i = path.find_first_not_of(' ');
    if (i == std::string_view::npos) return true;
    path.remove_prefix(i);
    if (path.size() < 2 || path[1] != ':') return false;
    char drive = path[0];
    if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z'))) return false;
    return path.find_first_not_of('\\', 2) == std::string_view::npos;
}

Text ShortcutFileName(std::string_view link) {
    // Only the link's own name counts: a dot in a folder above it (a profile
    // named "john.smith") says nothing of the file's extension. FindTextLast
    // does not take the trail byte of a double-byte character for a backslash.
    Text name(link);
    int slash = FindTextLast(name, "\\");
    std::size_t nameStart = slash > 0 ? static_cast<std::size_t>(slash) : 0;
    if (name.find('.', nameStart) == Text::npos) name += ".lnk";
    return name;
}

Text WithTrailingBackslash(std::string_view path) {
    // The last byte may be the trail of a double-byte character that merely
    // looks like a backslash, so look at where the last character starts.
    Text out(path);
    if (out.empty()) return out;
    bool endsInBackslash = FindTextLast(out, "\\") == static_cast<int>(out.size());
    if (!endsInBackslash) out += '\\';
    return out;
}

Text VersionTableName(std::uint16_t language, std::uint16_t codePage) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04x%04x", language, codePage);
    return buffer;
}
