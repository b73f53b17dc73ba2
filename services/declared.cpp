#include "services/declared.h"

#include <string>

#include "frame/core/fatal.h"
#include "services/codepage.h"
#include "services/system_dlls.h"

namespace {

constexpr const char* kSystemDlls[] = {
    "kernel32.dll", "user32.dll",   "gdi32.dll",   "advapi32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll",
    "comctl32.dll", "comdlg32.dll", "shlwapi.dll", "version.dll",  "ws2_32.dll",  "winmm.dll", "advpack.dll",
};

FARPROC ExportOf(HMODULE module, const char* name) {
    if (name[0] == '#') {
        unsigned long ordinal = 0;
        for (const char* p = name + 1; *p && ordinal <= 0xFFFF; ++p)
            ordinal = ordinal * 10 + static_cast<unsigned>(*p - '0');
        if (ordinal == 0 || ordinal > 0xFFFF) return nullptr;
        return GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    }
    return GetProcAddress(module, name);
}

bool IsOrdinalName(const char* name) {
    if (name[0] != '#' || name[1] == '\0') return false;
    for (const char* p = name + 1; *p; ++p)
        if (*p < '0' || *p > '9') return false;
    return true;
}

// A DLL named with a drive is loaded from there; any other from the system
// folder only, never from the program's own folder: an installer usually
// starts from a download folder, where anyone may have dropped a DLL.
ModuleHandle LoadDeclaredDll(const std::string& dll) {
    std::wstring wide = ToWideText(dll);
    if (dll.find(':') != std::string::npos)
        return ModuleHandle(LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    return LoadSystemDll(wide);
}

[[noreturn]] void ReportUnresolved(const DeclaredFunction& entry) {
    Text message = (entry.dll && entry.dll[0])
                       ? Text("无法找到指定DLL库文件“") + entry.dll + "”中的输出命令“" + entry.name + "”"
                       : Text("无法找到指定DLL库文件中的输出命令“") + entry.name + "”";
    ReportFatalError(message, 0, 0, 0);
}

}  // namespace

DeclaredFunctionCache::DeclaredFunctionCache(std::span<const DeclaredFunction> table)
    : table_(table), slots_(new std::atomic<FARPROC>[table.size()]) {
    for (std::size_t i = 0; i < table.size(); ++i) slots_[i].store(nullptr);
}

FARPROC DeclaredFunctionCache::Resolve(int n) {
    CheckInvariant(n >= 0 && static_cast<std::size_t>(n) < table_.size(), "declared function number out of range");
    if (FARPROC cached = slots_[n].load(std::memory_order_acquire)) return cached;
    FARPROC address = Lookup(table_[n]);
    if (!address) ReportUnresolved(table_[n]);
    slots_[n].store(address, std::memory_order_release);
    return address;
}

FARPROC DeclaredFunctionCache::Lookup(const DeclaredFunction& entry) {
    const char* name = entry.name ? entry.name : "";
    if (name[0] == '#' && !IsOrdinalName(name)) return nullptr;
    std::vector<std::string> candidates;
    if (entry.dll && entry.dll[0])
        candidates.emplace_back(entry.dll);
    else
        candidates.assign(std::begin(kSystemDlls), std::end(kSystemDlls));
    for (const std::string& dll : candidates) {
        ModuleHandle module = LoadDeclaredDll(dll);
        if (!module) continue;
        FARPROC address = ExportOf(module.get(), name);
        if (!address) continue;  // the module handle frees the DLL again
        std::lock_guard lock(modulesLock_);
        modules_.push_back(std::move(module));
        return address;
    }
    return nullptr;
}

void DeclaredFunctionCache::FreeLibraries() {
    std::lock_guard lock(modulesLock_);
    for (std::size_t i = 0; i < table_.size(); ++i) slots_[i].store(nullptr);
    modules_.clear();
}
