#include "graph/SeriesPlotter.h"

#include "graph/PixelRounding.h"
#include "parser/MDParser.h"

#include <cmath>

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
    const int plotWidth = plot.Right - plot.Left;
    const int plotHeight = plot.Bottom - plot.Top;
    const long double ySpan = range.YMax - range.YMin;
    if (plotWidth <= 0 || plotHeight <= 0 || !(ySpan > 0)) return;
    const long double dx = (range.XMax - range.XMin) / plotWidth;
    const long double rowsPerUnit = plotHeight / ySpan;

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
            const int row = plot.Bottom - RoundToInt((value - range.YMin) * rowsPerUnit);
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
