// A DLL that an attacker drops beside the program under test. It exports the
// names of the system DLL it stands for (all bound to one stub, so a
// program importing them would load it) and, when loaded, leaves a marker
// "<name>-<process>.loaded" in the folder TAVRIN_PLANTED_MARKERS names.
#include <windows.h>

#include <string>

extern "C" int PlantedStub() { return 0; }

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t markers[MAX_PATH] = {}, path[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(L"TAVRIN_PLANTED_MARKERS", markers, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring name(path);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    std::wstring marker =
        std::wstring(markers) + L"\\" + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L".loaded";
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return TRUE;
}
