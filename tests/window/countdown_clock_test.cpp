#include "window/core/countdown_clock.h"

#include <gtest/gtest.h>

namespace {

TEST(CountdownClock, TicksCountTheHundredthsThatPassed) {
    CountdownClock clock(1000);
    EXPECT_EQ(clock.Tick(1010), 1);
    EXPECT_EQ(clock.Tick(1020), 1);
    EXPECT_EQ(clock.Tick(1150), 13);  // a slow tick: its whole time
    // Parts of a hundredth add up over the ticks.
    EXPECT_EQ(clock.Tick(1165), 1);
    EXPECT_EQ(clock.Tick(1180), 2);
    EXPECT_EQ(clock.Tick(1180 + 60000), 6000);
}

TEST(CountdownClock, EveryTickMovesAtLeastOneHundredth) {
    CountdownClock clock(500);
    EXPECT_EQ(clock.Tick(500), 1);
    EXPECT_EQ(clock.Tick(503), 1);
    EXPECT_EQ(clock.Tick(400), 1);  // a clock that went back
    EXPECT_EQ(clock.Tick(420), 2);
}

}  // namespace
