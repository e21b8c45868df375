#pragma once

#include "tonegen/ToneTypes.h"

#include <functional>
#include <string>

namespace ondrix::app {

// The functions the display's plot adds to its parser.

// odd(x): 1 when the integer nearest to x (ties to even) is odd, else 0.
long double Odd(long double x);

// timer(n): 1 while output n is on (0 sound, 1 DTR, 2 RTS, 3 parallel port),
// else 0; n is truncated toward zero and any other number gives 0.
long double TimerValue(long double n, const std::function<bool(int output)>& outputOn);

// The sound output's trace for a waveform, scaled by the plot's variable b.
std::string SoundTraceExpression(tonegen::TTGWave wave);

} // namespace ondrix::app
