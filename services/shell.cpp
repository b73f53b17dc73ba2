#include "services/shell.h"

#include <windows.h>
#include <shellapi.h>

#include "services/codepage.h"

namespace {

const wchar_t* Verb(int verb) {
    switch (verb) {
        case 1: return L"edit";
        case 2: return L"explore";
        case 3: return L"find";
        case 4: return L"open";
        case 5: return L"print";
    }
    return nullptr;
}

int ShowCommand(int showMode) {
    switch (showMode) {
        case 1: return SW_HIDE;
        case 3: return SW_SHOWMINIMIZED;
        case 4: return SW_SHOWMAXIMIZED;
        case 5: return SW_SHOWNA;
        case 6: return SW_MINIMIZE;
    }
    return SW_SHOWNORMAL;
}

const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

int ShellRun(int verb, std::string_view file, std::string_view parameters, std::string_view folder, int showMode) {
    std::wstring wideFile = ToWideText(file), wideParameters = ToWideText(parameters), wideFolder = ToWideText(folder);
    HINSTANCE result = ShellExecuteW(nullptr, Verb(verb), wideFile.c_str(), OrNull(wideParameters), OrNull(wideFolder),
                                     ShowCommand(showMode));
    return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}
