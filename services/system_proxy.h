#pragma once
// The proxy Windows would use for an address: the user's internet options
// through WinHTTP (automatic detection and a PAC script first, then a fixed
// proxy with its bypass list), else the machine's own WinHTTP setting.
#include <string_view>

#include "services/core/values.h"

// "host:port" (with "user:password@" when the setting carries them), or
// empty for none: "DIRECT", no setting, or an address the bypass list names.
Text SystemProxyFor(std::string_view url);
