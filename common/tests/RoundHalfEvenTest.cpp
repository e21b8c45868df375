#include "common/RoundHalfEven.h"

#include <cfenv>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using ondrix::common::RoundHalfEven;
using ondrix::common::RoundHalfEvenInRange;

namespace {

TEST(RoundHalfEven, RoundsExactHalvesToTheEvenNeighbour)
{
    EXPECT_EQ(RoundHalfEven(45.5), 46.0);
    EXPECT_EQ(RoundHalfEven(44.5), 44.0);
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
    EXPECT_EQ(RoundHalfEven(44.51), 45.0);
    EXPECT_EQ(RoundHalfEven(44.49999999999999), 44.0);
    EXPECT_EQ(RoundHalfEven(50.0), 50.0);
    EXPECT_EQ(RoundHalfEven(0.5L), 0.0L);
    EXPECT_EQ(RoundHalfEven(1.5L), 2.0L);
    EXPECT_EQ(RoundHalfEven(-0.5L), 0.0L);
    EXPECT_TRUE(std::signbit(RoundHalfEven(-0.25))); // -0, as rint gives it
    // The half below the largest value with a fraction.
    EXPECT_EQ(RoundHalfEven(0x1p62L + 0.5L), 0x1p62L);
    EXPECT_EQ(RoundHalfEven(0x1p62L + 1.5L), 0x1p62L + 2);
}

TEST(RoundHalfEven, ValuesWithoutAFractionComeBackAsTheyAre)
{
    constexpr long double kInfinity = std::numeric_limits<long double>::infinity();
    EXPECT_EQ(RoundHalfEven(0x1p63L), 0x1p63L);
    EXPECT_EQ(RoundHalfEven(-0x1p63L), -0x1p63L);
    EXPECT_EQ(RoundHalfEven(1e300), 1e300);
    EXPECT_EQ(RoundHalfEven(0x1p52 + 1), 0x1p52 + 1);
    EXPECT_EQ(RoundHalfEven(-kInfinity), -kInfinity);
    EXPECT_TRUE(std::isnan(RoundHalfEven(std::numeric_limits<double>::quiet_NaN())));
}

TEST(RoundHalfEven, IndependentOfTheRoundingMode)
{
    for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        const double half = RoundHalfEven(44.5);
        const long double negative = RoundHalfEven(-3.5L);
        const int pixel = RoundHalfEvenInRange<int>(2.5L);
        std::fesetround(FE_TONEAREST);
        EXPECT_EQ(half, 44.0) << mode;
        EXPECT_EQ(negative, -4.0L) << mode;
        EXPECT_EQ(pixel, 2) << mode;
    }
}

TEST(RoundHalfEven, IntoAnInteger)
{
    EXPECT_EQ(RoundHalfEvenInRange<int>(7.5L), 8);
    EXPECT_EQ(RoundHalfEvenInRange<int>(-7.5L), -8);
    EXPECT_EQ(RoundHalfEvenInRange<int>(-6.5L), -6);
    EXPECT_EQ(RoundHalfEvenInRange<int>(-6.51L), -7);
    EXPECT_EQ(RoundHalfEvenInRange<int>(2147483646.5L), 2147483646);
}

} // namespace
