#include "voltage/Amplitude.h"

#include "voltage/VoltageError.h"

#include <algorithm>
#include <cmath>

namespace ondrix::voltage {

unsigned ClampAmplitude(std::int64_t percent)
{
    return static_cast<unsigned>(std::clamp<std::int64_t>(percent, 0, kMaxAmplitude));
}

double RoundHalfEven(double value)
{
    if (!std::isfinite(value)) return value;
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) return below + 1.0;
    return below;
}

unsigned AmplitudeFromReal(double percent)
{
    if (std::isnan(percent)) throw VoltageError("The amplitude is not a number");
    const double rounded = RoundHalfEven(std::clamp(percent, 0.0, static_cast<double>(kMaxAmplitude)));
    return static_cast<unsigned>(rounded);
}

} // namespace ondrix::voltage
