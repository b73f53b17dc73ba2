#pragma once
// The value kinds the services pass around. Texts are code page 936 byte
// strings; an empty string stands for "no text" as well, so callers never
// distinguish the two.
#include <cstdint>
#include <string>
#include <vector>

using Text = std::string;
using Bytes = std::vector<std::uint8_t>;

// Days since 30 December 1899, fraction = time of day.
struct DateTime {
    double days = 0;
};

// The address of a routine, as stored in 32 bits on the target.
struct SubroutineAddress {
    std::uint32_t address = 0;
};
