#include "services/system_dlls.h"

#include <map>
#include <mutex>
#include <string>

#include "frame/core/fatal.h"
#include "services/codepage.h"

namespace {

std::wstring SystemFolderPath(std::wstring_view name) {
    wchar_t folder[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || name.find_first_of(L"\\/:") != std::wstring_view::npos) return {};
    return std::wstring(folder, length) + L"\\" + std::wstring(name);
}

// The DLLs SystemExport loaded, kept until the process ends.
struct LoadedDlls {
    std::mutex lock;
    std::map<std::wstring, ModuleHandle> modules;
};

LoadedDlls& Loaded() {
    static LoadedDlls* dlls = new LoadedDlls;  // never freed: exports stay callable to the very end
    return *dlls;
}

}  // namespace

void RestrictDllSearchToSystem() {
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto set =
        reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (set) set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

ModuleHandle LoadSystemDll(std::wstring_view name) {
    std::wstring path = SystemFolderPath(name);
    if (path.empty()) return ModuleHandle();
    // By full path nothing is searched; the flag makes the DLL's own
    // dependencies come from beside it, the system folder.
    return ModuleHandle(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

FARPROC SystemExport(std::wstring_view dll, const char* name) {
    LoadedDlls& loaded = Loaded();
    HMODULE module = nullptr;
    {
        std::lock_guard guard(loaded.lock);
        ModuleHandle& slot = loaded.modules[std::wstring(dll)];
        if (!slot) slot = LoadSystemDll(dll);
        module = slot.get();
    }
    FARPROC address = module ? GetProcAddress(module, name) : nullptr;
    if (!address)
        ReportFatalError(
            Text("无法找到指定DLL库文件“") + FromWideText(std::wstring(dll)) + "”中的输出命令“" + name + "”", 0, 0, 0);
    return address;
}
