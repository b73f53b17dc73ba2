#pragma once
// The name of the single-instance object, from the MD5 digest of a name.
#include <array>
#include <cstdint>

#include "services/core/values.h"

// The digest as 32 lower-case hexadecimal digits, of which the 16 from the
// ninth on are the key.
Text SingleInstanceKey(const std::array<std::uint8_t, 16>& digest);
