#include "graph/SeriesPlotter.h"

#include "graph/PlotMapping.h"
#include "parser/MDParser.h"

#include <cmath>

namespace ondrix::graph {

void TSeriesPlotter::Plot(TMDParser& parser, const TPoints& points, const TPlotGeometry& geometry,
                          TTraceBuilder& trace)
{
    trace.Reset(geometry.ClipTop, geometry.ClipBottom);
    if (points.StrippedExpression().empty()) return;
    try {
        if (!parser.CompileExpression(points.StrippedExpression())) return;
    } catch (...) {
        return;
    }

    const TGraphRect& plot = geometry.Plot;
    const TEGRange& range = geometry.Range;
    const TPlotMapping mapping(plot, range);
    if (mapping.PlotWidth() <= 0 || mapping.PlotHeight() <= 0 || !(range.YMax - range.YMin > 0)) return;
    // x advances by a running sum of one column's width, not by XAt: the
    // traces' pixels depend on exactly these sums.
    const long double dx = mapping.XPerColumn();
    const long double rowsPerY = mapping.RowsPerY();

    const bool dots = points.Style() == egdDots;
    // Lines keep samples up to twenty visible heights beyond the range, so that a
    // steep stretch is joined but a pole is not; dots keep only the visible ones.
    const long double lineLow = range.YMin - dx / 2;
    const long double lineHigh = range.YMax + dx / 2;
    const long double reach = 20 * (lineHigh - lineLow);

    long double x = range.XMin;
    parser.SetX(x);
    bool lastValid = false;
    int lastColumn = 0;
    int lastRow = 0;
    for (int column = plot.Left; column <= plot.Right; ++column) {
        if (x > points.DomainMax()) break;
        bool valid = false;
        long double value = 0;
        if (x >= points.DomainMin()) {
            try {
                value = parser.Value();
                valid = !parser.CalcError();
            } catch (...) {
                valid = false;
            }
            if (valid) {
                if (dots)
                    valid = lineLow < value && value < lineHigh;
                else
                    valid = lineLow - reach <= value && value <= lineHigh + reach; // NaN fails too
            }
        }
        if (valid) {
            const int row = mapping.RowOf(value, rowsPerY);
            if (dots) {
                trace.Pixel(column, row);
            } else if (lastValid) {
                const bool bothAbove = lastRow < 0 && row < 0;
                const bool bothBelow = lastRow > geometry.ControlHeight && row > geometry.ControlHeight;
                if (!bothAbove && !bothBelow) trace.Segment(column - 1, lastRow, row);
            }
            lastRow = row;
        }
        lastValid = valid;
        lastColumn = column;
        x += dx;
        parser.SetX(x);
    }
    // Segments leave out their end pixel; the last sample's own pixel completes the trace.
    if (!dots && lastValid) trace.Pixel(lastColumn, lastRow);
}

} // namespace ondrix::graph
