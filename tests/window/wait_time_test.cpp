#include "window/core/wait_time.h"

#include <gtest/gtest.h>

namespace {

TEST(WaitDueTime, UnitsAndRelativeHundredNanoseconds) {
    struct Case {
        int amount, unit;
        std::int64_t expected;
    } cases[] = {
        {1000, 0, -10000000},
        {2, 1, -20000000},
        {1, 2, -600000000},
        {1, 3, -36000000000},
        {5, 7, -350000},
        {10, 0, -100000},
        {0, 0, 0},
        {-5, 0, 50000},
        {2147483647, 3, -9200000000000000000},  // beyond the timer's range: held at the limit
    };
    for (const auto& c : cases) EXPECT_EQ(WaitDueTime(c.amount, c.unit), c.expected) << c.amount << " " << c.unit;
}

}  // namespace
