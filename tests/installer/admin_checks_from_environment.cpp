// The administrator checks as the installer's tests answer them (Wine always
// says "administrator"): TAVRIN_TEST_ELEVATED=0 makes the start-up check fail
// once (the variable is removed, so the relaunched copy, which inherits the
// environment, is "elevated"); TAVRIN_TEST_ADMINISTRATOR=0 makes the
// uninstall check fail. Unset, both pass.
#include <windows.h>

#include "installer/admin_checks.h"

namespace {

bool Refused(const wchar_t* name) {
    wchar_t value[8] = {};
    return GetEnvironmentVariableW(name, value, 8) == 1 && value[0] == L'0';
}

}  // namespace

bool IsElevated() {
    if (!Refused(L"TAVRIN_TEST_ELEVATED")) return true;
    SetEnvironmentVariableW(L"TAVRIN_TEST_ELEVATED", nullptr);
    return false;
}

bool IsAdministrator() { return !Refused(L"TAVRIN_TEST_ADMINISTRATOR"); }
