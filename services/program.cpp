#include "services/program.h"

#include <windows.h>

#include "services/codepage.h"
#include "services/core/paths.h"

namespace {

const ProgramPathParts& ProgramPath() {
    static const ProgramPathParts parts = [] {
        wchar_t path[MAX_PATH] = {};
        DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
        return SplitProgramPath(FromWideText(std::wstring_view(path, n)));
    }();
    return parts;
}

}  // namespace

const Text& GetProgramDir() { return ProgramPath().directory; }
const Text& GetProgramFileName() { return ProgramPath().fileName; }
