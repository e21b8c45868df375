#pragma once

#include "voltage/CalibrationModel.h"

#include <span>

namespace ondrix::voltage {

// Least squares of z on x (z ≈ a + b·x) over the common length of x and z,
// storing b in CoefB and a in CoefA. False with fewer than 2 points, and the
// coefficients are left alone. Throws VoltageError when every x is the same
// (the slope is undefined), again leaving the coefficients alone.
bool LinearFit(std::span<const double> x, std::span<const double> z, Coefficients& coefficients);

// Fits V = e^a · e^(b·x) by a linear fit of ln y on x. False, with the
// coefficients left alone, as soon as a y is not above 0 (or is NaN).
bool ExpFit(std::span<const double> x, std::span<const double> y, Coefficients& coefficients);

inline constexpr const char* kEqualAmplitudesMessage =
    "Calibration failed: every measurement was taken at the same amplitude, so no slope can be fitted";

} // namespace ondrix::voltage
