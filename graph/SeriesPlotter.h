// Samples one series through the graph's parser, one evaluation per plot
// column, and collects the pixels its style draws.
#pragma once

#include "graph/GraphTypes.h"
#include "graph/Points.h"
#include "graph/TraceBuilder.h"

class TMDParser;

namespace ondrix::graph {

struct TPlotGeometry
{
    TGraphRect Plot;   // the plot area, every edge inclusive
    TEGRange Range;    // the normalised visible range
    int ControlHeight; // segments wholly above or below the control are skipped
    int ClipTop;       // rows kept: ClipTop <= row < ClipBottom
    int ClipBottom;
};

class TSeriesPlotter
{
  public:
    // Compiles the series' stripped expression and samples it across the plot.
    // A series that does not compile draws nothing; an evaluation that raises,
    // sets CalcError or fails the style's range test leaves a gap. Nothing is
    // thrown.
    void Plot(TMDParser& parser, const TPoints& points, const TPlotGeometry& geometry, TTraceBuilder& trace);
};

} // namespace ondrix::graph
