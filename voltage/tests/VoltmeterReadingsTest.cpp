#include "voltage/VoltmeterReadings.h"
#include "voltage/VoltageError.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace ondrix::voltage;

TEST(RmsFromPeak, DividesTheMagnitudeByTheWaveformsCrestFactor)
{
    EXPECT_NEAR(RmsFromPeak(kSineOrdinal, 1.414), 0.99985, 5e-6);
    EXPECT_DOUBLE_EQ(RmsFromPeak(kSquareOrdinal, -2.0), 2.0);
    EXPECT_DOUBLE_EQ(RmsFromPeak(kTriangleOrdinal, std::numbers::sqrt3), 1.0);
    EXPECT_DOUBLE_EQ(RmsFromPeak(kSawtoothOrdinal, -std::numbers::sqrt3), 1.0);
}

TEST(RmsFromPeak, RejectsNoiseAndUnknownWaveforms)
{
    for (int waveform : {kNoiseOrdinal, 5, -1}) {
        try {
            RmsFromPeak(waveform, 1.0);
            FAIL() << "waveform " << waveform << " was accepted";
        } catch (const VoltageError& e) {
            EXPECT_STREQ(e.what(), "Unsupported waveform for RMS calculation");
        }
    }
}

TEST(VoltmeterReadings, ConvertTheRmsVoltageForEachMeterType)
{
    const double nan = std::nan("");
    // RMS passes every waveform through, noise included.
    EXPECT_DOUBLE_EQ(RmsReading(kNoiseOrdinal, 0.5), 0.5);
    EXPECT_DOUBLE_EQ(PeakReading(kSineOrdinal, 1.0), std::numbers::sqrt2);
    EXPECT_DOUBLE_EQ(PeakReading(kSquareOrdinal, 1.5), 1.5);
    EXPECT_DOUBLE_EQ(PeakReading(kSawtoothOrdinal, 1.0), std::numbers::sqrt3);
    EXPECT_DOUBLE_EQ(PeakToPeakReading(kSineOrdinal, 1.0), 2.0 * std::numbers::sqrt2);
    EXPECT_DOUBLE_EQ(PeakToPeakReading(kTriangleOrdinal, 1.0), 2.0 * std::numbers::sqrt3);
    EXPECT_TRUE(std::isnan(PeakReading(kNoiseOrdinal, 1.0)));
    EXPECT_TRUE(std::isnan(PeakToPeakReading(kNoiseOrdinal, 1.0)));
    EXPECT_TRUE(std::isnan(PeakReading(kSineOrdinal, nan)));
}

TEST(DisplayVoltage, AppliesTheVoltmeterToTheModelVoltage)
{
    const Coefficients model{std::log(0.01), 0.05};
    const double rmsAt80 = 0.01 * std::exp(0.05 * 80);
    EXPECT_NEAR(DisplayVoltage(model, RmsReading, 80, kSineOrdinal), rmsAt80, 1e-12);
    EXPECT_NEAR(DisplayVoltage(model, PeakReading, 80, kSineOrdinal), std::numbers::sqrt2 * rmsAt80, 1e-12);
    EXPECT_TRUE(std::isnan(DisplayVoltage(model, PeakToPeakReading, 80, kNoiseOrdinal)));
    EXPECT_NEAR(DisplayVoltage(model, RmsReading, 80, kNoiseOrdinal), rmsAt80, 1e-12);
    // No calibration yet: nothing to show.
    EXPECT_TRUE(std::isnan(DisplayVoltage(Coefficients{}, RmsReading, 80, kSineOrdinal)));
    EXPECT_TRUE(std::isnan(ModelVoltage(Coefficients{std::log(0.01), std::nan("")}, 10)));
}
