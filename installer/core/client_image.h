#pragma once
// Whether the downloaded client is a Windows program at all: an error page
// served with status 200 arrives whole and would otherwise be installed.
#include <cstddef>
#include <cstdint>
#include <span>

// How much of the file's start IsWindowsProgramImage needs.
inline constexpr std::size_t kImageHeadBytes = 4096;

// An "MZ" header whose PE header lies in `head` (the file's first bytes)
// and describes an executable image (not a DLL) for i386 or x86-64.
bool IsWindowsProgramImage(std::span<const std::uint8_t> head);
