#include "installer/client_signer.h"

// Set by the build (TAVRIN_CLIENT_SIGNER, a CMake cache setting).
#ifndef TAVRIN_CLIENT_SIGNER
#error "TAVRIN_CLIENT_SIGNER must be defined (empty: no signature is asked for)"
#endif

Text ClientSignerSetting() { return TAVRIN_CLIENT_SIGNER; }
