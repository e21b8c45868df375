#include "voltage/CalibrationModel.h"

#include <cmath>

namespace ondrix::voltage {

double ModelVoltage(const Coefficients& coefficients, double amplitude)
{
    if (std::isnan(coefficients.CoefA) || std::isnan(coefficients.CoefB))
        return std::numeric_limits<double>::quiet_NaN();
    return std::exp(coefficients.CoefA) * std::exp(coefficients.CoefB * amplitude);
}

} // namespace ondrix::voltage
