#include "installer/admin_checks.h"

#include <windows.h>
#include <shlobj.h>

#include "installer/declared_functions.h"
#include "services/declared.h"

bool IsElevated() { return IsUserAnAdmin() != FALSE; }

bool IsAdministrator() {
    // advpack is not imported: the check resolves it from the system folder.
    DWORD unused = 0;
    return CallDeclared<BOOL(WINAPI*)(DWORD, DWORD*)>(kDeclaredIsNTAdmin, 0, &unused) != FALSE;
}
