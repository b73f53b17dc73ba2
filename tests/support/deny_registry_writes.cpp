// "KEY": creates the key (under HKEY_LOCAL_MACHINE, in the 32-bit view) and
// lets nobody write values into it or create keys under it; reading and
// deleting it stay allowed. "--remove KEY": gives everyone full access to the
// key again and deletes it. Exits 0 when done.
#include <windows.h>
#include <sddl.h>

#include <string>

namespace {

bool SetAccess(HKEY key, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    bool done = ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr) &&
                RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return done;
}

int Deny(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return 1;
    // Everyone: no KEY_SET_VALUE (0x2) or KEY_CREATE_SUB_KEY (0x4); all the rest.
    bool done = SetAccess(key, L"D:P(D;;0x6;;;WD)(A;;KA;;;WD)");
    RegCloseKey(key);
    return done ? 0 : 1;
}

int Remove(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, WRITE_DAC | KEY_WOW64_32KEY, &key) == ERROR_SUCCESS) {
        SetAccess(key, L"D:(A;;KA;;;WD)");
        RegCloseKey(key);
    }
    LSTATUS status = RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path, KEY_WOW64_32KEY, 0);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? 0 : 1;
}

}  // namespace

int wmain(int count, wchar_t** words) {
    if (count == 2) return Deny(words[1]);
    if (count == 3 && std::wstring(words[1]) == L"--remove") return Remove(words[2]);
    return 2;
}
