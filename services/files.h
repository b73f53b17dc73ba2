#pragma once
// Files and folders. Failures are reported only by the result; nothing shows
// a message and nothing is retried.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>

#include "services/core/values.h"
#include "services/handle.h"

// One folder level, default security.
bool CreateFolder(std::string_view path);
// One folder level with the access list Program Files has: administrators
// and SYSTEM full control, users read and execute, nothing inherited from
// the parent, and all of it inherited by what is written into the folder.
// A folder under a drive root would otherwise let every user replace what
// an administrator later runs.
bool CreateProtectedFolder(std::string_view path);
// The access list of the folder as the system's text form (SDDL); empty
// when it cannot be read.
Text FolderAccessText(std::string_view path);
// Removes the folder and everything in it; entries whose names begin with "."
// are left alone, and so are files that cannot be deleted. A link (junction,
// symbolic link, mount point) is removed as itself and never entered, the
// folder itself included. Refuses an empty path and a drive root. True if
// the folder itself is gone.
bool DeleteFolderTree(std::string_view path);
// Removes every link inside the folder, at any depth, and nothing else: what
// deletes the folder afterwards (a script's "rd /s") then meets none. False
// when a link stays (Wine cannot remove a directory link; neither can a
// process without the right), and then nothing may delete the folder by a
// means that follows links. Refuses an empty path and a drive root.
bool RemoveLinksInside(std::string_view path);
// What may still be written on the drive of the file the path names (its
// folder must exist), in bytes; none when the system cannot tell.
std::optional<std::uint64_t> FreeSpaceBeside(std::string_view fileName);
// Up to `count` bytes from the file's start; empty when it cannot be read.
Bytes ReadFileStart(std::string_view fileName, std::size_t count);
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
