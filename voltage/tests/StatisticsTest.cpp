#include "voltage/Statistics.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using namespace ondrix::voltage;

TEST(Statistics, PopulationStandardDeviationOfTheResidualExample)
{
    const std::vector<double> residuals{0.1, 0.1, 0.1, 0.1, 5.0};
    EXPECT_DOUBLE_EQ(Mean(residuals), 1.08);
    EXPECT_NEAR(StdDev(residuals), 1.96, 1e-12);
    EXPECT_DOUBLE_EQ(StdDev(std::vector<double>{3.0, 3.0, 3.0}), 0.0);
}

TEST(Statistics, RmseAndRSquaredRateAFit)
{
    const std::vector<double> observed{1.0, 2.0, 3.0, 4.0};
    const std::vector<double> fitted{1.5, 1.5, 3.5, 3.5};
    EXPECT_DOUBLE_EQ(Rmse(observed, fitted), 0.5);
    // SSres = 1, SStot = 5.
    EXPECT_DOUBLE_EQ(RSquared(observed, fitted), 0.8);
    EXPECT_DOUBLE_EQ(RSquared(observed, observed), 1.0);
    // Observations that do not vary explain nothing.
    EXPECT_DOUBLE_EQ(RSquared(std::vector<double>{2.0, 2.0}, std::vector<double>{1.0, 3.0}), 0.0);
}

TEST(Statistics, EmptyInputsGiveNaNNotACrash)
{
    const std::vector<double> none;
    EXPECT_TRUE(std::isnan(Mean(none)));
    EXPECT_TRUE(std::isnan(StdDev(none)));
    EXPECT_TRUE(std::isnan(Rmse(none, none)));
    EXPECT_DOUBLE_EQ(RSquared(none, none), 0.0);
}
