// Shared pieces of the graph tests: a graph set up for pixel checks and
// readers for the rendered picture.
#pragma once

#include "graph/EasyGraph.h"

#include <QImage>
#include <memory>
#include <string>

namespace ondrix::graph::test {

// Plain colours that the tests can tell apart in a picture.
inline constexpr TColor Background = 0xFFFFFF;
inline constexpr TColor Grid = 0x808080;
inline constexpr TColor Axis = 0x00A000;
inline constexpr TColor Trace = 0x0000FF;
inline constexpr TColor Trace2 = 0xFF0000;

// A graph without numbers, with a lowered plot frame and the colours above:
// the plot area of a W x H control is (1, 1, W-2, H-2).
inline std::unique_ptr<TEasyGraph> PlainGraph(int width, int height)
{
    auto graph = std::make_unique<TEasyGraph>();
    graph->resize(width, height);
    graph->SetNumbHoriz(false);
    graph->SetNumbVert(false);
    graph->SetColorBg(Background);
    graph->SetColorGrid(Grid);
    graph->SetColorAxis(Axis);
    return graph;
}

inline TPoints& AddSeries(TEasyGraph& graph, const std::string& expression, TColor color = Trace)
{
    graph.Series().Add();
    TPoints& points = graph.Series().Items(graph.Series().Count() - 1);
    points.SetColor(color);
    points.SetExpression(expression);
    return points;
}

inline QImage Rendered(TEasyGraph& graph)
{
    graph.Render();
    return graph.BackBuffer().copy();
}

// The picture's colour at (x, y) as a plain $00BBGGRR value.
inline TColor At(const QImage& image, int x, int y)
{
    const QRgb rgb = image.pixel(x, y);
    return RGBColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

// The rows of column x that have the colour, top to bottom.
inline std::vector<int> RowsWith(const QImage& image, int x, TColor color)
{
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y)
        if (At(image, x, y) == color) rows.push_back(y);
    return rows;
}

// The columns of row y that have the colour, left to right.
inline std::vector<int> ColumnsWith(const QImage& image, int y, TColor color)
{
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x)
        if (At(image, x, y) == color) columns.push_back(x);
    return columns;
}

inline int CountColor(const QImage& image, TColor color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += At(image, x, y) == color;
    return count;
}

// Pixels in the area darker than mid grey on every channel (text).
inline int CountDark(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb rgb = image.pixel(x, y);
            count += qRed(rgb) < 128 && qGreen(rgb) < 128 && qBlue(rgb) < 128;
        }
    return count;
}

// Every integer from first to last.
inline std::vector<int> Span(int first, int last)
{
    std::vector<int> values;
    for (int v = first; v <= last; ++v)
        values.push_back(v);
    return values;
}

} // namespace ondrix::graph::test
