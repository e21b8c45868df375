#include "voltage/Calibration.h"

#include "voltage/Fitting.h"
#include "voltage/Statistics.h"
#include "voltage/VoltageError.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace ondrix::voltage {

std::vector<bool> PointsWithinOutlierLimit(std::span<const double> residuals)
{
    const double limit = kOutlierLimitInSigmas * StdDev(residuals);
    std::vector<bool> keep(residuals.size());
    for (std::size_t i = 0; i < residuals.size(); ++i)
        keep[i] = std::fabs(residuals[i]) <= limit; // false when either side is NaN
    return keep;
}

static std::vector<double> ModelVoltages(const Coefficients& coefficients, std::span<const double> amplitudes)
{
    std::vector<double> fitted;
    fitted.reserve(amplitudes.size());
    for (double x : amplitudes)
        fitted.push_back(ModelVoltage(coefficients, x));
    return fitted;
}

CalibrationResult FitCalibration(std::span<const double> amplitudes, std::span<const double> rmsVoltages)
{
    const std::size_t count = std::min(amplitudes.size(), rmsVoltages.size());
    if (count < kMinCalibrationPoints) throw VoltageError(kNeedThreePointsMessage);
    amplitudes = amplitudes.first(count);
    rmsVoltages = rmsVoltages.first(count);

    // First fit over every point. A voltage that is not above 0 cannot be
    // fitted on a log scale: then there is no model to judge the points by,
    // every residual is NaN and the outlier check below fails, whatever
    // coefficients an earlier calibration left.
    Coefficients first;
    ExpFit(amplitudes, rmsVoltages, first);
    const std::vector<double> fitted = ModelVoltages(first, amplitudes);
    std::vector<double> residuals(count);
    for (std::size_t i = 0; i < count; ++i)
        residuals[i] = rmsVoltages[i] - fitted[i];

    const std::vector<bool> keep = PointsWithinOutlierLimit(residuals);
    std::vector<double> keptX, keptY;
    for (std::size_t i = 0; i < count; ++i) {
        if (keep[i]) {
            keptX.push_back(amplitudes[i]);
            keptY.push_back(rmsVoltages[i]);
        }
    }
    if (keptX.size() < kMinCalibrationPoints) throw VoltageError(kTooManyOutliersMessage);

    CalibrationResult result;
    result.coefficients = first;
    ExpFit(keptX, keptY, result.coefficients); // cannot fail: the kept voltages are above 0
    const std::vector<double> refitted = ModelVoltages(result.coefficients, keptX);
    result.rSquared = RSquared(keptY, refitted);
    result.rmse = Rmse(keptY, refitted);
    result.pointsUsed = static_cast<int>(keptX.size());
    return result;
}

std::string CalibrationReport(const CalibrationResult& result, char decimalSeparator)
{
    char text[512];
    std::snprintf(
        text, sizeof text,
        "Calibration Complete\r\na = %.6f\r\nb = %.6f\r\nR^2 = %.4f\r\nRMSE = %.6f\r\nPoints used: %d",
        result.coefficients.CoefA, result.coefficients.CoefB, result.rSquared, result.rmse,
        result.pointsUsed);
    std::string report(text);
    // snprintf follows the C locale, which the program never changes.
    for (char& c : report)
        if (c == '.') c = decimalSeparator;
    return report;
}

unsigned AmplitudeForVoltage(const Coefficients& coefficients, const std::function<double()>& target)
{
    for (int k = 100; k >= 0; --k) {
        if (target() >= ModelVoltage(coefficients, k)) return static_cast<unsigned>(k);
    }
    throw VoltageError(kVoltageOutOfRangeMessage);
}

} // namespace ondrix::voltage
