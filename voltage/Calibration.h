#pragma once

#include "voltage/CalibrationModel.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace ondrix::voltage {

inline constexpr int kMinCalibrationPoints = 3;
inline constexpr double kOutlierLimitInSigmas = 2.5;

inline constexpr const char* kNeedThreePointsMessage = "Need at least 3 points";
inline constexpr const char* kTooManyOutliersMessage = "Too many outliers \u2014 calibration failed";
inline constexpr const char* kVoltageOutOfRangeMessage = "Voltage out of range";

// Which points stay in the fit: those whose |residual| is at most 2.5 σ of
// all residuals. A NaN residual (or a NaN σ) drops the point.
std::vector<bool> PointsWithinOutlierLimit(std::span<const double> residuals);

struct CalibrationResult
{
    Coefficients coefficients;
    double rSquared = 0.0;
    double rmse = 0.0;
    int pointsUsed = 0;
};

// The calibration from measured points, in the order measured: amplitudes in
// percent and the RMS voltages behind the peaks read at them. Fits the model,
// drops outliers, fits again on the points that stay and rates that fit.
// Throws VoltageError: fewer than 3 points, fewer than 3 points within the
// outlier limit (also when a voltage is not above 0 and so cannot be fitted),
// or all amplitudes equal. Nothing is changed on failure: the caller adopts
// the coefficients only from a result.
CalibrationResult FitCalibration(std::span<const double> amplitudes, std::span<const double> rmsVoltages);

// The text of the results box; numbers use the given decimal separator.
std::string CalibrationReport(const CalibrationResult& result, char decimalSeparator = '.');

// The highest amplitude 100 … 0 whose model voltage does not exceed the target.
// target is asked afresh for every comparison (it may be a formula).
// Throws VoltageError(kVoltageOutOfRangeMessage) when none qualifies (the
// target is below V(0), or the model or the target is NaN).
unsigned AmplitudeForVoltage(const Coefficients& coefficients, const std::function<double()>& target);

} // namespace ondrix::voltage
