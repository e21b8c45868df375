#include "graph/TickRuler.h"

#include "common/RoundHalfEven.h"
#include "graph/PixelRounding.h"

#include <cmath>

namespace ondrix::graph {

namespace {
// A safety net for ranges so far out that adding a step no longer changes the
// tick; a real plot has at most a few hundred ticks per axis.
constexpr int MaximumTicks = 100000;
} // namespace

std::int64_t TTickRuler::LabelDensity(long double pixelsPerUnit, int labelSize)
{
    if (labelSize <= 0) return 10;
    const long double density = common::RoundHalfEven(pixelsPerUnit * 10000 / labelSize);
    if (!(density > 0)) return 0;
    if (density > 1e15L) return static_cast<std::int64_t>(1e15L);
    return static_cast<std::int64_t>(density);
}

long double TTickRuler::StepFor(std::int64_t density)
{
    long double step = 10000;
    std::int64_t n = 1;
    for (;;) {
        n *= 2;
        if (n >= density) break;
        step /= 2;
        n *= 5;
        if (n >= density) break;
        step /= 5;
    }
    return step;
}

void TTickRuler::Ticks(long double min, long double max, long double pixelsPerUnit, long double step,
                       std::vector<TTick>& ticks)
{
    ticks.clear();
    if (!std::isfinite(min) || !std::isfinite(max) || !std::isfinite(pixelsPerUnit) || !(step > 0)) return;
    const long double q = min / step;
    const long double whole = std::trunc(q);
    long double tick = (q > 0 ? whole + 1 : whole - 1) * step;
    for (int count = 0; tick <= max && count < MaximumTicks; ++count) {
        const int offset = TruncToInt((tick - min) * pixelsPerUnit);
        if (offset >= 0) ticks.push_back({tick, offset});
        const long double next = tick + step;
        if (next == tick) break;
        tick = next;
    }
}

} // namespace ondrix::graph
