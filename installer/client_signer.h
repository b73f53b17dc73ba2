#pragma once
// The publisher the client must be signed by: the SHA-256 thumbprint of its
// signing certificate or of one of that certificate's issuers, 64
// hexadecimal digits, empty when no signature is asked for. A build setting
// (TAVRIN_CLIENT_SIGNER); a seam like the administrator checks, so the
// flow's tests give one of their own certificates.
#include "services/core/values.h"

Text ClientSignerSetting();
