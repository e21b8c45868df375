// Conversions from world arithmetic to pixel integers. Values far outside any
// screen are clamped first, so that no conversion overflows.
#pragma once

#include <cmath>

inline constexpr long double PixelLimit = 1 << 28;

// Round to the nearest integer, exact halves to the even neighbour. Done by
// hand: the library's nearbyint saves and restores the whole floating-point
// environment, which costs more than the rest of a sample.
inline int RoundToInt(long double value)
{
    if (std::isnan(value)) return 0;
    if (value > PixelLimit) return static_cast<int>(PixelLimit);
    if (value < -PixelLimit) return -static_cast<int>(PixelLimit);
    int whole = static_cast<int>(value);
    const long double fraction = value - whole;
    if (fraction > 0.5L || (fraction == 0.5L && (whole & 1)))
        ++whole;
    else if (fraction < -0.5L || (fraction == -0.5L && (whole & 1)))
        --whole;
    return whole;
}

// Cut toward zero.
inline int TruncToInt(long double value)
{
    if (std::isnan(value)) return 0;
    if (value > PixelLimit) return static_cast<int>(PixelLimit);
    if (value < -PixelLimit) return -static_cast<int>(PixelLimit);
    return static_cast<int>(value);
}
