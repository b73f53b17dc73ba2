#pragma once
// How far a notice's countdown moves on each tick.
#include <cstdint>

// The hundredths of a second a tick stands for: the time that really passed
// since the previous tick, at least one. A tick waits 10 ms, but the property
// calls around the wait go through the window thread and may take far
// longer; counting ticks alone made a ten-second notice stay for minutes.
class CountdownClock {
public:
    explicit CountdownClock(std::int64_t startMs) : last_(startMs) {}
    // `nowMs` from the same millisecond clock as the start.
    std::int64_t Tick(std::int64_t nowMs);

private:
    std::int64_t last_;
};
