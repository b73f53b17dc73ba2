#pragma once
// DLLs come from the system folder only. The program starts from a
// download folder that any web page can drop a file into, and with
// administrator rights: a DLL found there before the system's would run
// inside it. The import table names KnownDLLs only (the system maps its own
// copies of those); every other DLL is loaded here, by its full path in the
// system folder, and its functions resolved at run time.
#include <string_view>

#include <windows.h>

#include "services/handle.h"

// The first thing the process does: the default search of every later load
// (the system's own loads on the program's behalf included) is the system
// folder. Without the system's support for it (Windows 7 before KB2533623)
// the program's own loads still go by full path.
void RestrictDllSearchToSystem();

// Loads the DLL named (no folder) by its full path in the system folder.
ModuleHandle LoadSystemDll(std::wstring_view name);

// An export of a system DLL (no folder), the DLL loaded from the system
// folder on first use and kept for the life of the process. A missing DLL
// or export is a fatal error: these are the system's own. May block briefly
// on the first call for a DLL.
FARPROC SystemExport(std::wstring_view dll, const char* name);

// SystemExport as the function's own pointer type, e.g.
// SystemFunction<decltype(&VerQueryValueW)>(L"version.dll", "VerQueryValueW").
template <class Fn>
Fn SystemFunction(std::wstring_view dll, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(SystemExport(dll, name)));
}
