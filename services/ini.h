#pragma once
#include <string_view>

#include "services/core/values.h"

// Reads key in section of an INI file of code page 936 bytes. Blanks (bytes
// of 0x20 and below) before file, section and key are skipped; if any of the
// three is then empty the result is empty, whatever the default. Values are
// cut at 10,239 bytes.
Text ReadIniValue(std::string_view file, std::string_view section, std::string_view key,
                  std::string_view defaultValue = {});
