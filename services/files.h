#pragma once
// Files and folders. Failures are reported only by the result; nothing shows
// a message and nothing is retried.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "services/core/values.h"
#include "services/handle.h"

// One folder level, default security.
bool CreateFolder(std::string_view path);
// Removes the folder and everything in it; entries whose names begin with "."
// are left alone, and so are files that cannot be deleted. Refuses an empty
// path and a drive root. True if the folder itself is gone.
bool DeleteFolderTree(std::string_view path);
// Replaces an existing destination.
bool CopyFileOver(std::string_view source, std::string_view destination);
// Creates or truncates the file (no sharing while writing) and writes the
// parts in order.
bool WriteBytesToFile(std::string_view fileName, std::initializer_list<std::span<const std::uint8_t>> parts);

// A pending FindFile search.
struct FileSearch {
    FindHandle handle;
};
// A non-empty pattern starts a new search (ending the previous one); an empty
// one continues. Filter 0 takes everything but folders; otherwise an entry is
// taken when it has at least one of the filter's attribute bits. Returns the
// name without directory, or empty when the search is over (and closed).
Text FindFile(std::string_view pattern, std::uint32_t attributeFilter, FileSearch& search);
void CloseFind(FileSearch& search);
