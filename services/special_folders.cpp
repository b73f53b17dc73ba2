#include "services/special_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "services/codepage.h"
#include "services/core/paths.h"

namespace {

int ShellFolderId(int kind) {
    switch (kind) {
        case 1: return CSIDL_PERSONAL;
        case 2: return CSIDL_FAVORITES;
        case 3: return CSIDL_DESKTOPDIRECTORY;
        case 4: return CSIDL_FONTS;
        case 5: return CSIDL_STARTMENU;
        case 6: return CSIDL_PROGRAMS;
        case 7: return CSIDL_STARTUP;
        case 8: return CSIDL_APPDATA;
    }
    return -1;
}

std::wstring SystemFolder(int kind) {
    wchar_t path[MAX_PATH + 1] = {};
    UINT n = 0;
    if (kind == 9) n = GetWindowsDirectoryW(path, MAX_PATH);
    if (kind == 10) n = GetSystemDirectoryW(path, MAX_PATH);
    if (kind == 11) n = GetTempPathW(MAX_PATH + 1, path);
    return (n > 0 && n <= MAX_PATH) ? std::wstring(path, n) : std::wstring();
}

}  // namespace

Text GetSpecialFolder(int kind) {
    std::wstring folder;
    if (int id = ShellFolderId(kind); id >= 0) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetSpecialFolderPathW(nullptr, path, id, FALSE)) folder = path;
    } else {
        folder = SystemFolder(kind);
    }
    return WithTrailingBackslash(FromWideText(folder));
}
