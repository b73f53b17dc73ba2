#include "window/core/countdown_clock.h"

std::int64_t CountdownClock::Tick(std::int64_t nowMs) {
    std::int64_t elapsed = nowMs - last_;
    if (elapsed < 10) {
        last_ = nowMs;
        return 1;
    }
    // What is left of a hundredth counts with the next tick.
    last_ = nowMs - elapsed % 10;
    return elapsed / 10;
}
