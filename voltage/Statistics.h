#pragma once

#include <span>

namespace ondrix::voltage {

// Plain statistics over the calibration points. Every one of them is NaN for
// an empty input (0 ÷ 0), except RSquared, which is 0 then.

double Mean(std::span<const double> values);

// Population standard deviation: √(Σ(v − mean)² ÷ count).
double StdDev(std::span<const double> values);

// √(Σ(observed − fitted)² ÷ count); observed and fitted have the same length.
double Rmse(std::span<const double> observed, std::span<const double> fitted);

// 1 − SSres ÷ SStot; 0 when the observations do not vary (SStot = 0).
double RSquared(std::span<const double> observed, std::span<const double> fitted);

} // namespace ondrix::voltage
