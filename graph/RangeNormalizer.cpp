#include "graph/RangeNormalizer.h"

#include <cmath>

namespace ondrix::graph {

namespace {

// Beyond this distance from zero a span of MaximumSpan can no longer be told
// apart to a small part of a pixel (long double keeps 64 bits).
constexpr long double LargestNarrowedCentre = 1e15L;

void LimitSpan(long double& low, long double& high)
{
    const long double span = high - low;
    if (std::isinf(span) || span > MaximumSpan) {
        // Narrowed about the centre, computed from the ends (their difference
        // may overflow, and moving each end inwards is lost in their rounding).
        long double centre = low / 2 + high / 2;
        if ((centre + MaximumSpan / 2) - (centre - MaximumSpan / 2) < MaximumSpan * 0.999L)
            centre = std::copysign(LargestNarrowedCentre, centre);
        low = centre - MaximumSpan / 2;
        high = centre + MaximumSpan / 2;
    } else if (span < MinimumSpan) {
        const long double grow = (MinimumSpan - span) / 2;
        low -= grow;
        high += grow;
    }
}

} // namespace

void NormalizeRange(TEGRange& range, const TRatioRule& rule)
{
    LimitSpan(range.XMin, range.XMax);
    LimitSpan(range.YMin, range.YMax);
    if (!rule.MaintainRatio || rule.PlotWidth <= 0 || rule.PlotHeight <= 0) return;
    const long double xSpan = range.XMax - range.XMin;
    const long double ySpan = range.YMax - range.YMin;
    if (!(xSpan > 0) || !(ySpan > 0)) return;
    const long double ratio = xSpan / ySpan;
    const long double target = static_cast<long double>(rule.PlotWidth) / rule.PlotHeight * rule.AspectRatio;
    if (!(target > 0) || !std::isfinite(target)) return;
    if (ratio > target) {
        const long double grow = (xSpan / target - ySpan) / 2;
        range.YMin -= grow;
        range.YMax += grow;
    } else if (ratio < target) {
        const long double grow = (target * ySpan - xSpan) / 2;
        range.XMin -= grow;
        range.XMax += grow;
    }
}

bool IsFiniteRange(const TEGRange& range)
{
    return std::isfinite(range.XMin) && std::isfinite(range.YMin) && std::isfinite(range.XMax) &&
           std::isfinite(range.YMax);
}

} // namespace ondrix::graph
