#include "installer/core/instance_key.h"

Text SingleInstanceKey(const std::array<std::uint8_t, 16>& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    Text hex;
    for (std::uint8_t byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex.substr(8, 16);
}
