// The Windows functions the installer calls by declaration rather than
// through its import table.
#include "services/declared.h"

namespace {

constexpr DeclaredFunction kDeclaredFunctions[] = {
    {"kernel32.dll", "GetTickCount"},
    {"advpack.dll", "IsNTAdmin"},
};

}  // namespace

DeclaredFunctionCache& ProgramDeclaredFunctions() {
    static DeclaredFunctionCache cache(kDeclaredFunctions);
    return cache;
}
