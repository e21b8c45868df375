#include "voltage/Calibration.h"
#include "voltage/Fitting.h"
#include "voltage/VoltageError.h"
#include "voltage/VoltmeterReadings.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <vector>

using namespace ondrix::voltage;

namespace {

std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const VoltageError& e) {
        return e.what();
    }
    return "(no error)";
}

// Sine peaks √2 × 0.01 × e^(0.05·x) as a meter reads them, with a small
// measurement error, turned into RMS voltages as the procedure does.
struct Measurements
{
    std::vector<double> amplitudes;
    std::vector<double> rms;

    void Add(double amplitude, double relativeError)
    {
        const double peak = std::numbers::sqrt2 * 0.01 * std::exp(0.05 * amplitude) * (1.0 + relativeError);
        amplitudes.push_back(amplitude);
        rms.push_back(RmsFromPeak(kSineOrdinal, peak));
    }
};

} // namespace

TEST(Calibration, RecoversTheModelFromNoisySinePeaks)
{
    Measurements m;
    const double amplitudes[] = {14, 27, 38, 45, 52, 61, 70, 83};
    const double errors[] = {0.004, -0.003, 0.002, -0.004, 0.001, 0.003, -0.002, -0.001};
    for (int i = 0; i < 8; ++i)
        m.Add(amplitudes[i], errors[i]);

    const CalibrationResult result = FitCalibration(m.amplitudes, m.rms);
    EXPECT_EQ(result.pointsUsed, 8);
    EXPECT_NEAR(result.coefficients.CoefA, -4.605170, 5e-3);
    EXPECT_NEAR(result.coefficients.CoefB, 0.050000, 1e-4);
    EXPECT_GT(result.rSquared, 0.9999);
    EXPECT_LT(result.rmse, 5e-4);
}

TEST(Calibration, ReportShowsSixDecimalsForTheModelAndFourForRSquared)
{
    CalibrationResult result;
    result.coefficients = {-4.6051702, 0.0500012};
    result.rSquared = 0.99996;
    result.rmse = 0.0001234567;
    result.pointsUsed = 5;
    EXPECT_EQ(CalibrationReport(result),
              "Calibration Complete\r\na = -4.605170\r\nb = 0.050001\r\nR^2 = 1.0000\r\nRMSE = 0.000123\r\n"
              "Points used: 5");
    EXPECT_EQ(CalibrationReport(result, ','),
              "Calibration Complete\r\na = -4,605170\r\nb = 0,050001\r\nR^2 = 1,0000\r\nRMSE = 0,000123\r\n"
              "Points used: 5");
}

TEST(OutlierRule, ComparesEachResidualsMagnitudeWithTwoAndAHalfSigma)
{
    // σ = 1.96, so the limit is 4.9: only the 5.0 goes.
    EXPECT_EQ(PointsWithinOutlierLimit(std::vector<double>{0.1, 0.1, 0.1, 0.1, 5.0}),
              (std::vector<bool>{true, true, true, true, false}));
    // Equal non-zero residuals: σ is 0 and every point is dropped.
    EXPECT_EQ(PointsWithinOutlierLimit(std::vector<double>{0.2, 0.2, 0.2}),
              (std::vector<bool>{false, false, false}));
    // A NaN residual makes σ NaN, and no point can be judged.
    EXPECT_EQ(PointsWithinOutlierLimit(std::vector<double>{0.1, std::nan(""), -0.1}),
              (std::vector<bool>{false, false, false}));
}

TEST(Calibration, DropsAGrossOutlierAndFitsTheRest)
{
    Measurements m;
    const double amplitudes[] = {11, 19, 26, 33, 41, 48, 56, 63, 71, 85};
    for (int i = 0; i < 10; ++i)
        m.Add(amplitudes[i], i % 2 ? 0.002 : -0.002);
    m.rms[4] *= 8.0; // a misread meter at 41 %

    const CalibrationResult result = FitCalibration(m.amplitudes, m.rms);
    EXPECT_EQ(result.pointsUsed, 9);
    EXPECT_NEAR(result.coefficients.CoefA, std::log(0.01), 1e-2);
    EXPECT_NEAR(result.coefficients.CoefB, 0.05, 2e-4);
}

TEST(Calibration, FailsWithTheProceduresMessages)
{
    EXPECT_EQ(MessageOf([] {
                  FitCalibration(std::vector<double>{10, 20}, std::vector<double>{0.1, 0.2});
              }),
              "Need at least 3 points");
    // A peak read as 0 leaves no model to judge the points by.
    EXPECT_EQ(MessageOf([] {
                  FitCalibration(std::vector<double>{10, 50, 80}, std::vector<double>{0.02, 0.0, 0.5});
              }),
              "Too many outliers \xE2\x80\x94 calibration failed");
    EXPECT_EQ(MessageOf([] {
                  FitCalibration(std::vector<double>{37, 37, 37}, std::vector<double>{0.1, 0.11, 0.12});
              }),
              kEqualAmplitudesMessage);
}

TEST(AmplitudeForVoltage, ChoosesTheHighestAmplitudeNotAboveTheTarget)
{
    const Coefficients model{std::log(0.01), 0.05};
    const double v37 = ModelVoltage(model, 37);
    EXPECT_EQ(AmplitudeForVoltage(model, [&] { return v37; }), 37u);
    EXPECT_EQ(AmplitudeForVoltage(model, [&] { return v37 * 0.999; }), 36u);
    EXPECT_EQ(AmplitudeForVoltage(model, [] { return 1000.0; }), 100u);
    EXPECT_EQ(AmplitudeForVoltage(model, [&] { return ModelVoltage(model, 0); }), 0u);

    // Each comparison asks for the target again.
    int asked = 0;
    AmplitudeForVoltage(model, [&] { return ++asked, v37; });
    EXPECT_EQ(asked, 100 - 37 + 1);
}

TEST(AmplitudeForVoltage, OutOfRangeBelowZeroPercentOrWithoutAModel)
{
    const Coefficients model{std::log(0.01), 0.05};
    EXPECT_EQ(MessageOf([&] { AmplitudeForVoltage(model, [] { return 0.009; }); }), "Voltage out of range");
    EXPECT_EQ(MessageOf([&] { AmplitudeForVoltage(model, [] { return std::nan(""); }); }),
              "Voltage out of range");
    EXPECT_EQ(MessageOf([] { AmplitudeForVoltage(Coefficients{}, [] { return 1.0; }); }),
              "Voltage out of range");
}
