#include "voltage/Amplitude.h"

#include "common/RoundHalfEven.h"
#include "voltage/VoltageError.h"

#include <algorithm>
#include <cmath>

namespace ondrix::voltage {

unsigned ClampAmplitude(std::int64_t percent)
{
    return static_cast<unsigned>(std::clamp<std::int64_t>(percent, 0, kMaxAmplitude));
}

unsigned AmplitudeFromReal(double percent)
{
    if (std::isnan(percent)) throw VoltageError("The amplitude is not a number");
    const double rounded = common::RoundHalfEven(std::clamp(percent, 0.0, static_cast<double>(kMaxAmplitude)));
    return static_cast<unsigned>(rounded);
}

} // namespace ondrix::voltage
