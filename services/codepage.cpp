#include "services/codepage.h"

#include <windows.h>

std::wstring ToWideText(std::string_view text, unsigned codePage) {
    // Like the C string it stands for, the text ends at its first 0 byte.
    text = text.substr(0, text.find('\0'));
    if (text.empty()) return {};
    int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

Text FromWideText(std::wstring_view wide, unsigned codePage) {
    wide = wide.substr(0, wide.find(L'\0'));
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    Text text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n, nullptr, nullptr);
    return text;
}

std::string ToAnsiPath(std::string_view path) {
    if (GetACP() == kChineseCodePage) return std::string(path);
    std::wstring wide = ToWideText(path);
    if (wide.empty()) return {};
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (n > 0 && !lossy) {
        std::string ansi(static_cast<std::size_t>(n), '\0');
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, ansi.data(), n, nullptr, nullptr);
        ansi.resize(static_cast<std::size_t>(n - 1));
        return ansi;
    }
    DWORD shortLength = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (shortLength == 0) return {};
    std::wstring shortPath(shortLength, L'\0');
    shortLength = GetShortPathNameW(wide.c_str(), shortPath.data(), shortLength);
    shortPath.resize(shortLength);
    return FromWideText(shortPath, CP_ACP);
}
