#include "services/ini.h"

#include <windows.h>

#include "services/codepage.h"

namespace {

constexpr DWORD kValueBuffer = 10240;

std::string_view SkipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= 0x20) ++i;
    return text.substr(i);
}

}  // namespace

Text ReadIniValue(std::string_view file, std::string_view section, std::string_view key,
                  std::string_view defaultValue) {
    file = SkipBlanks(file);
    section = SkipBlanks(section);
    key = SkipBlanks(key);
    if (file.empty() || section.empty() || key.empty()) return {};
    // The ANSI function keeps section, key and value as the file's own bytes;
    // only the file name needs a form this system's ANSI code page can open.
    std::string ansiFile = ToAnsiPath(file);
    if (ansiFile.empty()) return Text(defaultValue);
    Text value(kValueBuffer, '\0');
    DWORD n = GetPrivateProfileStringA(Text(section).c_str(), Text(key).c_str(), Text(defaultValue).c_str(),
                                       value.data(), kValueBuffer, ansiFile.c_str());
    value.resize(n);
    return value;
}
