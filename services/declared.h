#pragma once
// Windows functions the program declares by DLL and exported name, resolved
// on first use and cached. A name "#" followed by digits is an ordinal.
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "services/handle.h"

struct DeclaredFunction {
    const char* dll;   // empty: the built-in list of system DLLs is tried
    const char* name;  // exported name, or "#" and an ordinal
};

class DeclaredFunctionCache {
public:
    explicit DeclaredFunctionCache(std::span<const DeclaredFunction> table);
    // The address of function n (0-based); an unresolvable one is a fatal
    // error. May load a DLL (and so block briefly) on the first call.
    FARPROC Resolve(int n);
    // Frees the DLLs loaded for declared functions, at program end.
    void FreeLibraries();

private:
    FARPROC Lookup(const DeclaredFunction& entry);

    std::span<const DeclaredFunction> table_;
    // Written by whichever thread resolves first; later writers store the same value.
    std::unique_ptr<std::atomic<FARPROC>[]> slots_;
    std::mutex modulesLock_;
    std::vector<ModuleHandle> modules_;
};

// The program's own table and cache, for CallDeclared.
DeclaredFunctionCache& ProgramDeclaredFunctions();

// Calls declared function n through the pointer type Fn, e.g.
// CallDeclared<BOOL(WINAPI*)(HWND)>(3, window).
template <class Fn, class... Args>
auto CallDeclared(int n, Args... args) {
    auto function = reinterpret_cast<Fn>(reinterpret_cast<void*>(ProgramDeclaredFunctions().Resolve(n)));
    return function(args...);
}
