#include "window/core/wait_time.h"

#include <cmath>
#include <limits>

std::int64_t WaitUnitMilliseconds(int unit) {
    switch (unit) {
        case 0: return 1;
        case 1: return 1000;
        case 2: return 60000;
        case 3: return 3600000;
    }
    return unit;
}

std::int64_t WaitDueTime(int amount, int unit) {
    double due = static_cast<double>(amount) * static_cast<double>(WaitUnitMilliseconds(unit)) * -10000.0;
    // Keep the conversion defined for absurd products: the longest wait is then simply very long.
    constexpr double kLimit = 9.2e18;
    if (!(std::fabs(due) < kLimit))
        return due < 0 ? -static_cast<std::int64_t>(kLimit) : static_cast<std::int64_t>(kLimit);
    return static_cast<std::int64_t>(due);
}
