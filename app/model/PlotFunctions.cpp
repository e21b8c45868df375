#include "app/model/PlotFunctions.h"

#include "common/RoundHalfEven.h"

#include <cmath>

namespace ondrix::app {

long double Odd(long double x)
{
    const long double nearest = common::RoundHalfEven(x);
    if (!std::isfinite(nearest)) return 0;
    return std::fmod(std::fabs(nearest), 2.0L) == 1 ? 1 : 0;
}

long double TimerValue(long double n, const std::function<bool(int output)>& outputOn)
{
    const long double output = std::trunc(n);
    if (!(output >= 0 && output <= 3)) return 0;
    return outputOn(static_cast<int>(output)) ? 1 : 0;
}

std::string SoundTraceExpression(tonegen::TTGWave wave)
{
    switch (wave) {
    case tonegen::tgSine:
        return "timer(0)*(sin(x)*(b*0.75))";
    case tonegen::tgSquare:
        return "timer(0)*((b*odd(x))-(b/2))";
    case tonegen::tgTriangle:
        return "timer(0)*(4*b/5*abs((((x-5/4) mod 5)+5) mod 5-5/2)-b)";
    case tonegen::tgSawtooth:
        return "timer(0)*(x mod 4)";
    case tonegen::tgNoise:
        return "timer(0)*(rnd(b)-(b/2))";
    }
    return "0";
}

} // namespace ondrix::app
