// Keeps a visible range within the spans the graph can show and, on request,
// in the proportions of the plot.
#pragma once

#include "graph/GraphTypes.h"

namespace ondrix::graph {

inline constexpr long double MinimumSpan = 0.01L;
inline constexpr long double MaximumSpan = 10000;

struct TRatioRule
{
    bool MaintainRatio = false;
    long double AspectRatio = 1;
    int PlotWidth = 0;  // PlotRect.Right - Left
    int PlotHeight = 0; // PlotRect.Bottom - Top
};

// Spans below 0.01 or above 10000 are widened or narrowed symmetrically about
// their centre (a centre too far out to hold a 10000 wide span exactly is
// brought in to 1e15); with MaintainRatio the smaller side is widened so that one x
// unit over one y unit in pixels equals AspectRatio.
void NormalizeRange(TEGRange& range, const TRatioRule& rule);

// A range whose four values are finite numbers.
bool IsFiniteRange(const TEGRange& range);

} // namespace ondrix::graph
