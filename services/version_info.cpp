#include "services/version_info.h"

#include <windows.h>

#include <vector>

#include "services/codepage.h"
#include "services/core/paths.h"
#include "services/system_dlls.h"

namespace {

// version.dll is no KnownDLL: its functions come from the system folder's copy.
struct VersionDll {
    decltype(&GetFileVersionInfoSizeW) infoSize =
        SystemFunction<decltype(&GetFileVersionInfoSizeW)>(L"version.dll", "GetFileVersionInfoSizeW");
    decltype(&GetFileVersionInfoW) info =
        SystemFunction<decltype(&GetFileVersionInfoW)>(L"version.dll", "GetFileVersionInfoW");
    decltype(&VerQueryValueW) query = SystemFunction<decltype(&VerQueryValueW)>(L"version.dll", "VerQueryValueW");
};

const VersionDll& Version() {
    static const VersionDll functions;
    return functions;
}

constexpr std::size_t kMemberLimit = 255;

struct Translation {
    WORD language;
    WORD codePage;
};

Text Member(const std::vector<BYTE>& data, const std::wstring& table, const wchar_t* key) {
    std::wstring query = L"\\StringFileInfo\\" + table + L"\\" + key;
    wchar_t* value = nullptr;
    UINT length = 0;
    if (!Version().query(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return {};
    Text text = FromWideText(std::wstring_view(value, length));
    if (text.size() > kMemberLimit) text.resize(kMemberLimit);
    return text;
}

Text LanguageNames(const Translation* entries, std::size_t count) {
    Text names;
    for (std::size_t i = 0; i < count; ++i) {
        wchar_t name[256] = {};
        VerLanguageNameW(entries[i].language, name, 256);
        if (i > 0) names += ", ";
        names += FromWideText(name);
    }
    if (names.size() > kMemberLimit) names.resize(kMemberLimit);
    return names;
}

}  // namespace

bool ReadVersionInfo(std::string_view fileName, FileVersionInfo& info) {
    info = {};
    std::wstring wideName = ToWideText(fileName);
    DWORD ignored = 0;
    DWORD size = Version().infoSize(wideName.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<BYTE> data(size);
    if (!Version().info(wideName.c_str(), 0, size, data.data())) return false;

    Translation* entries = nullptr;
    UINT bytes = 0;
    Version().query(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&entries), &bytes);
    std::size_t count = entries ? bytes / sizeof(Translation) : 0;
    Text table = count > 0 ? VersionTableName(entries[0].language, entries[0].codePage) : Text(kDefaultVersionTable);
    std::wstring wideTable = ToWideText(table);

    info.fileVersion = Member(data, wideTable, L"FileVersion");
    info.fileDescription = Member(data, wideTable, L"FileDescription");
    info.internalName = Member(data, wideTable, L"InternalName");
    info.companyName = Member(data, wideTable, L"CompanyName");
    info.legalCopyright = Member(data, wideTable, L"LegalCopyright");
    info.legalTrademarks = Member(data, wideTable, L"LegalTrademarks");
    info.originalFilename = Member(data, wideTable, L"OriginalFilename");
    info.productName = Member(data, wideTable, L"ProductName");
    info.productVersion = Member(data, wideTable, L"ProductVersion");
    info.languages = LanguageNames(entries, count);
    info.comments = Member(data, wideTable, L"Comments");
    return true;
}
