#include "voltage/Amplitude.h"
#include "voltage/VoltageError.h"

#include <cfenv>
#include <cmath>
#include <gtest/gtest.h>

using namespace ondrix::voltage;

TEST(RoundHalfEven, RoundsExactHalvesToTheEvenNeighbour)
{
    EXPECT_EQ(RoundHalfEven(45.5), 46.0);
    EXPECT_EQ(RoundHalfEven(44.5), 44.0);
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
    EXPECT_EQ(RoundHalfEven(44.51), 45.0);
    EXPECT_EQ(RoundHalfEven(50.0), 50.0);
    // Independent of the current rounding mode.
    std::fesetround(FE_UPWARD);
    const double rounded = RoundHalfEven(44.5);
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(rounded, 44.0);
}

TEST(Amplitude, UserNumbersAreClampedNeverWrapped)
{
    EXPECT_EQ(ClampAmplitude(300), 100u);
    EXPECT_EQ(ClampAmplitude(256), 100u);
    EXPECT_EQ(ClampAmplitude(-5), 0u);
    EXPECT_EQ(ClampAmplitude(40), 40u);
    EXPECT_EQ(AmplitudeFromReal(45.5), 46u);
    EXPECT_EQ(AmplitudeFromReal(44.5), 44u);
    EXPECT_EQ(AmplitudeFromReal(300.0), 100u);
    EXPECT_EQ(AmplitudeFromReal(-0.7), 0u);
    EXPECT_EQ(AmplitudeFromReal(INFINITY), 100u);
    EXPECT_THROW(AmplitudeFromReal(std::nan("")), VoltageError);
}
