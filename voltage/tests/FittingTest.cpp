#include "voltage/Fitting.h"
#include "voltage/VoltageError.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using namespace ondrix::voltage;

TEST(LinearFit, FindsTheLineThroughThePoints)
{
    const std::vector<double> x{10, 20, 30, 40};
    const std::vector<double> z{-3.0, -2.5, -2.0, -1.5};
    Coefficients c;
    ASSERT_TRUE(LinearFit(x, z, c));
    EXPECT_NEAR(c.CoefB, 0.05, 1e-12);
    EXPECT_NEAR(c.CoefA, -3.5, 1e-12);
}

TEST(LinearFit, LeavesTheCoefficientsWhenItCannotFit)
{
    const Coefficients before{1.0, 2.0};
    Coefficients c = before;
    EXPECT_FALSE(LinearFit(std::vector<double>{10}, std::vector<double>{1}, c));
    EXPECT_FALSE(LinearFit(std::vector<double>{}, std::vector<double>{}, c));
    // All at one amplitude: the slope's denominator is zero.
    try {
        LinearFit(std::vector<double>{42, 42, 42}, std::vector<double>{1, 2, 3}, c);
        FAIL() << "equal amplitudes were fitted";
    } catch (const VoltageError& e) {
        EXPECT_STREQ(e.what(), kEqualAmplitudesMessage);
    }
    EXPECT_EQ(c.CoefA, before.CoefA);
    EXPECT_EQ(c.CoefB, before.CoefB);
}

TEST(ExpFit, FitsTheExponentialModel)
{
    std::vector<double> x, y;
    for (double amplitude : {12.0, 35.0, 57.0, 80.0, 89.0}) {
        x.push_back(amplitude);
        y.push_back(0.01 * std::exp(0.05 * amplitude));
    }
    Coefficients c;
    ASSERT_TRUE(ExpFit(x, y, c));
    EXPECT_NEAR(c.CoefA, std::log(0.01), 1e-9);
    EXPECT_NEAR(c.CoefB, 0.05, 1e-11);
}

TEST(ExpFit, RefusesVoltagesThatAreNotAboveZero)
{
    const std::vector<double> x{10, 20, 30};
    for (double bad : {0.0, -1.0, std::nan("")}) {
        Coefficients c{1.0, 2.0};
        EXPECT_FALSE(ExpFit(x, std::vector<double>{0.5, bad, 0.7}, c)) << bad;
        EXPECT_EQ(c.CoefA, 1.0);
        EXPECT_EQ(c.CoefB, 2.0);
    }
}
