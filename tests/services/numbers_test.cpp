#include "services/core/numbers.h"

#include <gtest/gtest.h>

#include "tests/support/fatal_capture.h"

namespace {

TEST(RoundTo, HalfAwayFromZero) {
    struct Case {
        double x;
        int places;
        double expected;
    } cases[] = {
        {2.5, 0, 3},        {-2.5, 0, -3}, {0.125, 2, 0.13}, {2.4999, 0, 2}, {1234.5678, 2, 1234.57}, {1250, -2, 1300},
        {-1249, -2, -1200}, {0, 3, 0},     {1.005, 2, 1.01}, {0.5, 0, 1},    {-0.4, 0, -0.0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(RoundTo(c.x, c.places), c.expected) << c.x << " " << c.places;
}

TEST(Remainder, AppliesDivisorsLeftToRight) {
    EXPECT_DOUBLE_EQ(Remainder(10, 4), 2);
    EXPECT_DOUBLE_EQ(Remainder(-10, 4), -2);
    EXPECT_DOUBLE_EQ(Remainder(5.5, 2), 1.5);
    EXPECT_DOUBLE_EQ(Remainder(100, 30, 7), 3);
    EXPECT_FATAL(Remainder(1, 0), "不能求余数于零");
    EXPECT_FATAL(Remainder(100, 30, 0), "不能求余数于零");
}

TEST(Bits, AndOrShift) {
    EXPECT_EQ(BitAnd({0xFF, 0x0F, 0x3C}), 0x0C);
    EXPECT_EQ(BitOr({1, 2, 8}), 11);
    EXPECT_EQ(ShiftRight(-8, 1), -4);
    EXPECT_EQ(ShiftRight(256, 33), 128);  // the count is taken modulo 32
    EXPECT_EQ(ShiftRight(-1, 31), -1);
}

TEST(Numbers, RgbAndExp) {
    EXPECT_EQ(MakeRgb(24, 26, 33), 24 + 26 * 256 + 33 * 65536);
    EXPECT_DOUBLE_EQ(Exp(0), 1);
    EXPECT_NEAR(Exp(1), 2.718281828459045, 1e-15);
}

}  // namespace
