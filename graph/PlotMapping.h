// Between world values and control pixels of the plot area: columns Left to
// Right span XMin to XMax, rows Bottom up to Top span YMin to YMax. Every
// conversion of the graph goes through here, so that the mouse, the grid and
// the traces agree to the pixel. A plot area without width or height gives
// infinite or NaN scales; callers check the area first where it matters.
#pragma once

#include "graph/GraphTypes.h"
#include "graph/PixelRounding.h"

namespace ondrix::graph {

class TPlotMapping
{
  public:
    TPlotMapping(const TGraphRect& plot, const TEGRange& range) : plot_(plot), range_(range) {}

    int PlotWidth() const { return plot_.Right - plot_.Left; }
    int PlotHeight() const { return plot_.Bottom - plot_.Top; }

    // World units per pixel step, and pixels per world unit.
    long double XPerColumn() const { return (range_.XMax - range_.XMin) / PlotWidth(); }
    long double YPerRow() const { return (range_.YMax - range_.YMin) / PlotHeight(); }
    long double ColumnsPerX() const { return PlotWidth() / (range_.XMax - range_.XMin); }
    long double RowsPerY() const { return PlotHeight() / (range_.YMax - range_.YMin); }

    // The world value at a pixel.
    long double XAt(int column) const { return range_.XMin + XPerColumn() * (column - plot_.Left); }
    long double YAt(int row) const { return range_.YMin + YPerRow() * (plot_.Bottom - row); }

    // The row of a value, given the rows per unit (computed once per trace).
    int RowOf(long double y, long double rowsPerY) const
    {
        return plot_.Bottom - RoundToInt((y - range_.YMin) * rowsPerY);
    }
    int RowOf(long double y) const { return RowOf(y, RowsPerY()); }

  private:
    TGraphRect plot_;
    TEGRange range_;
};

} // namespace ondrix::graph
