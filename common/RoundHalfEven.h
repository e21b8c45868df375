// Rounding to the nearest integer with exact halves going to the even
// neighbour (2.5 → 2, 3.5 → 4), whatever the floating-point rounding mode.
// Done by hand: the library's nearbyint follows the current mode and saves
// and restores the whole floating-point environment, which costs more than
// the rest of a plotted sample.
#pragma once

#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>

namespace ondrix::common {

// For a value whose truncation fits Integer (the caller has made sure).
template <std::signed_integral Integer, std::floating_point Real>
constexpr Integer RoundHalfEvenInRange(Real value) noexcept
{
    Integer whole = static_cast<Integer>(value);
    const Real fraction = value - static_cast<Real>(whole);
    if (fraction > Real(0.5) || (fraction == Real(0.5) && (whole & 1)))
        ++whole;
    else if (fraction < Real(-0.5) || (fraction == Real(-0.5) && (whole & 1)))
        --whole;
    return whole;
}

// Any value: one too large to have a fraction, infinities and NaN come back
// as they are; the sign of a zero result is the value's.
template <std::floating_point Real> Real RoundHalfEven(Real value) noexcept
{
    // From 2^(digits - 1) on every value is a whole number.
    constexpr Real kWholeFrom = Real(1) / std::numeric_limits<Real>::epsilon();
    static_assert(std::numeric_limits<Real>::digits <= 64, "the truncation must fit 64 bits");
    if (!(std::fabs(value) < kWholeFrom)) return value;
    return std::copysign(static_cast<Real>(RoundHalfEvenInRange<std::int64_t>(value)), value);
}

} // namespace ondrix::common
