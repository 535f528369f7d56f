#include "foundation/Rounding.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <string>

namespace kalmora {
namespace {

// Both modes side by side to whole numbers: they differ only at exact halves.
TEST(RoundingTest, BothModesToWholeNumbers)
{
    struct Case {
        double value;
        double toEven;
        double awayFromZero;
    };
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    // clang-format off
    const Case cases[] = {
        {0.5, 0.0, 1.0},
        {1.5, 2.0, 2.0},
        {2.5, 2.0, 3.0},
        {3.5, 4.0, 4.0},
        {-0.5, 0.0, -1.0},
        {-1.5, -2.0, -2.0},
        {-2.5, -2.0, -3.0},
        {-3.5, -4.0, -4.0},
        {2.4999, 2.0, 2.0},
        {2.5001, 3.0, 3.0},
        {-2.4999, -2.0, -2.0},
        {-2.5001, -3.0, -3.0},
        {0.0, 0.0, 0.0},
        {7.0, 7.0, 7.0},
        {-7.0, -7.0, -7.0},
        // Half to even looks at the binary value, which lies just below the half; half away from
        // zero at the 15 digits the value shows, where it is the half.
        {0.49999999999999994, 0.0, 1.0},
        {kInfinity, kInfinity, kInfinity},
        {-kInfinity, -kInfinity, -kInfinity},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.value));
        EXPECT_EQ(RoundHalfToEven(c.value), c.toEven);
        EXPECT_EQ(RoundHalfAwayFromZero(c.value, 0), c.awayFromZero);
    }
    EXPECT_TRUE(std::isnan(RoundHalfToEven(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_TRUE(std::isnan(RoundHalfAwayFromZero(std::numeric_limits<double>::quiet_NaN(), 1)));
}

// The floating-point environment's rounding mode must not move a half.
TEST(RoundingTest, HalfToEvenIgnoresTheRoundingMode)
{
    const int previous = std::fegetround();
    for (const int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        volatile double half = 2.5;
        volatile double negativeHalf = -3.5;
        EXPECT_EQ(RoundHalfToEven(half), 2.0) << mode;
        EXPECT_EQ(RoundHalfToEven(negativeHalf), -4.0) << mode;
    }
    std::fesetround(previous);
}

TEST(RoundingTest, RoundHalfAwayFromZero)
{
    struct Case {
        double value;
        int decimals;
        double expected;
    };
    // clang-format off
    const Case cases[] = {
        {2.675, 2, 2.68},
        {-2.675, 2, -2.68},
        {0.125, 2, 0.13},
        {1.45, 1, 1.5},
        {2.5, 0, 3.0},
        {-2.5, 0, -3.0},
        {1234.5678, 0, 1235.0},
        {1234.5678, 3, 1234.568},
        {0.0001, 2, 0.0},
        {-0.0001, 2, 0.0},
        {1e300, 2, 1e300},
        {1250.0, -2, 1300.0},
        {std::numeric_limits<double>::max(), 0, std::numeric_limits<double>::max()},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " to " + std::to_string(c.decimals));
        EXPECT_EQ(RoundHalfAwayFromZero(c.value, c.decimals), c.expected);
    }
    EXPECT_FALSE(std::signbit(RoundHalfAwayFromZero(-0.0001, 2)));
}

}  // namespace
}  // namespace kalmora
