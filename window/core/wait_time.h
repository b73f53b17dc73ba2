#pragma once
// How long a pumping wait lasts.
#include <cstdint>

// Milliseconds per count: unit 0 ms, 1 s, 2 min, 3 h; any other unit is
// itself the number of milliseconds per count.
std::int64_t WaitUnitMilliseconds(int unit);

// The relative due time of the waitable timer, in 100 ns units (negative),
// computed in floating point and truncated as the timer expects it.
std::int64_t WaitDueTime(int amount, int unit);
