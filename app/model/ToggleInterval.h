#pragma once

#include "common/RoundHalfEven.h"

#include <cmath>
#include <limits>

namespace ondrix::app {

// The toggle timer interval for a port output of frequency f (Hz): each tick
// changes the line once, so a full period takes two ticks. Whole milliseconds,
// at least 1 for any f > 0 (as fast as the timer goes), 0 (no ticks) for
// f <= 0 and for a value that is not a number.
inline int IntervalForFrequency(long double f)
{
    if (!(f > 0)) return 0;
    const long double ms = common::RoundHalfEven(500.0L / f);
    if (ms < 1) return 1;
    return ms > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(ms);
}

} // namespace ondrix::app
