// Conversions from world arithmetic to pixel integers. Values far outside any
// screen are clamped first, so that no conversion overflows.
#pragma once

#include "common/RoundHalfEven.h"

#include <cmath>

namespace ondrix::graph {

inline constexpr long double PixelLimit = 1 << 28;

// Round to the nearest integer, exact halves to the even neighbour.
inline int RoundToInt(long double value)
{
    if (std::isnan(value)) return 0;
    if (value > PixelLimit) return static_cast<int>(PixelLimit);
    if (value < -PixelLimit) return -static_cast<int>(PixelLimit);
    return common::RoundHalfEvenInRange<int>(value);
}

// Cut toward zero.
inline int TruncToInt(long double value)
{
    if (std::isnan(value)) return 0;
    if (value > PixelLimit) return static_cast<int>(PixelLimit);
    if (value < -PixelLimit) return -static_cast<int>(PixelLimit);
    return static_cast<int>(value);
}

} // namespace ondrix::graph
