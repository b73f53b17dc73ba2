#include "services/registry.h"

#include <windows.h>

#include "services/codepage.h"
#include "services/core/text.h"
#include "services/handle.h"

namespace {

HKEY RootKey(int root) {
    switch (root) {
        case 1: return HKEY_CLASSES_ROOT;
        case 2: return HKEY_CURRENT_CONFIG;
        case 4: return HKEY_LOCAL_MACHINE;
        case 5: return HKEY_USERS;
    }
    return HKEY_CURRENT_USER;
}

LSTATUS SetValue(HKEY key, const std::wstring& name, const RegistryValue& value) {
    if (auto* number = std::get_if<std::int32_t>(&value)) {
        DWORD dword = static_cast<DWORD>(*number);
        return RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword), sizeof dword);
    }
    if (auto* text = std::get_if<Text>(&value)) {
        std::wstring wide = ToWideText(*text);
        auto bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));  // the ending 0 counts
        return RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()), bytes);
    }
    const Bytes& bytes = std::get<Bytes>(value);
    return RegSetValueExW(key, name.c_str(), 0, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

REGSAM ViewFlag(RegistryView view) { return view == RegistryView::Bits32 ? KEY_WOW64_32KEY : 0; }

}  // namespace

bool WriteRegistryValue(int root, std::string_view path, const RegistryValue& value, RegistryView view) {
    REGSAM access = KEY_WRITE | ViewFlag(view);
    int slash = FindTextLast(path, "\\");
    std::string_view keyPath = slash > 0 ? path.substr(0, static_cast<std::size_t>(slash - 1)) : std::string_view();
    std::string_view valueName = slash > 0 ? path.substr(static_cast<std::size_t>(slash)) : path;

    std::wstring wideKey = ToWideText(keyPath);
    RegistryKey key;
    if (RegOpenKeyExW(RootKey(root), wideKey.c_str(), 0, access, key.put()) != ERROR_SUCCESS &&
        RegCreateKeyExW(RootKey(root), wideKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS)
        return false;
    return SetValue(key.get(), ToWideText(valueName), value) == ERROR_SUCCESS;
}

bool DeleteRegistryKey(int root, std::string_view keyPath, RegistryView view) {
    LSTATUS status = RegDeleteKeyExW(RootKey(root), ToWideText(keyPath).c_str(), ViewFlag(view), 0);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool RegistryKeyExists(int root, std::string_view keyPath, RegistryView view) {
    RegistryKey key;
    return RegOpenKeyExW(RootKey(root), ToWideText(keyPath).c_str(), 0, KEY_READ | ViewFlag(view), key.put()) ==
           ERROR_SUCCESS;
}
