#pragma once
#include <string_view>

#include "services/core/values.h"

// The string members of a file's version resource, each at most 255 bytes.
struct FileVersionInfo {
    Text fileVersion;
    Text fileDescription;
    Text internalName;
    Text companyName;
    Text legalCopyright;
    Text legalTrademarks;
    Text originalFilename;
    Text productName;
    Text productVersion;
    Text languages;  // the names of all translations, separated by ", "
    Text comments;
};

// True if the file's version resource could be read.
bool ReadVersionInfo(std::string_view fileName, FileVersionInfo& info);
