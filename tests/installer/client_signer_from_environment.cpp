// The client's signer as the flow's tests give it: TAVRIN_TEST_CLIENT_SIGNER,
// a certificate made for the run; unset, no signature is asked for.
#include <windows.h>

#include "installer/client_signer.h"
#include "services/codepage.h"

Text ClientSignerSetting() {
    wchar_t value[80] = {};
    DWORD length = GetEnvironmentVariableW(L"TAVRIN_TEST_CLIENT_SIGNER", value, 80);
    return length > 0 && length < 80 ? FromWideText(value) : Text();
}
