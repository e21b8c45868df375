#pragma once

#include <limits>

namespace ondrix::voltage {

// The coefficients of the calibration model V(x) = e^a · e^(b·x), where x is
// the amplitude in percent and V the RMS voltage at the sound card's output.
// a is ln of the voltage extrapolated to amplitude 0, b the growth per percent.
struct Coefficients
{
    double CoefA = std::numeric_limits<double>::quiet_NaN();
    double CoefB = std::numeric_limits<double>::quiet_NaN();

    bool Known() const { return CoefA == CoefA && CoefB == CoefB; }
};

// The model's RMS voltage at amplitude x; NaN while either coefficient is NaN.
double ModelVoltage(const Coefficients& coefficients, double amplitude);

} // namespace ondrix::voltage
