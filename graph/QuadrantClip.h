// The part of the plot in which the series of a quadrant setting are drawn.
#pragma once

#include "graph/GraphTypes.h"

#include <optional>

namespace ondrix::graph {

// Starts from (PlotRect.Left, Top, Right + 1, Bottom + 1) and cuts it to the
// quadrant; the result's Right and Bottom are exclusive. Empty (no value) when
// the quadrant lies outside the visible range or the cut leaves Right < Left.
std::optional<TGraphRect> QuadrantClip(TEGQuadrant quadrant, const TGraphRect& plot, const TEGRange& range);

} // namespace ondrix::graph
