#pragma once
// The installation folder on disk: what a folder holds, creating it level by
// level, and the folder field's text.
#include <cstdint>
#include <string_view>

#include "installer/core/install_folder.h"

// A file (not a folder) matches the path.
bool FileFound(std::string_view path);

// The file's size in bytes; -1 when it cannot be read.
std::int64_t FileBytes(std::string_view path);

// What the folder holds, as far as choosing it goes.
FolderContents ExamineFolder(std::string_view folder);

// Creates every missing level of the folder; failures show in the result.
bool CreateFolderLevels(std::string_view folder);

// The options panel's folder field.
Text FolderField();
void SetFolderField(std::string_view text);
