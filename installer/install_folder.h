#pragma once
// The installation folder on disk: what a folder holds, creating it level by
// level, and the folder field's text.
#include <cstdint>
#include <optional>
#include <string_view>

#include "installer/core/install_folder.h"

// A file (not a folder) matches the path.
bool FileFound(std::string_view path);

// The file's size in bytes; -1 when it cannot be read.
std::int64_t FileBytes(std::string_view path);

// What the folder holds, as far as choosing it goes.
FolderContents ExamineFolder(std::string_view folder);

// The folder text resolved as Windows resolves it (GetFullPathNameW, then
// the long form of names that exist), when it may be the installation
// folder: see AcceptedFolder, with the drive roots, the Windows folder, the
// user's profile and its Desktop, Documents and Downloads protected, and no
// folder that is a link (a reparse point) taken.
std::optional<Text> AcceptedInstallFolder(std::string_view text);

// Creates every missing level of the folder, adding each one made to
// `created` (parent first); failures show in the result. Levels outside the
// Program Files folders get an access list of their own (see
// CreateProtectedFolder), as Program Files has.
bool CreateFolderLevels(std::string_view folder, std::vector<Text>& created);

// The options panel's folder field.
Text FolderField();
void SetFolderField(std::string_view text);
