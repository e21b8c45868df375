#include "voltage/Amplitude.h"
#include "voltage/VoltageError.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace ondrix::voltage;

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
