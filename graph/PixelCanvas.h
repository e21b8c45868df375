// Exact-pixel drawing on a QPainter, with the conventions of the graph's
// drawing steps: a line from A to B covers A but not B; a rectangle outline
// from (L, T) to (R, B) covers the columns L..R-1 and rows T..B-1.
#pragma once

#include "graph/GraphTypes.h"

#include <QColor>
#include <QPainter>

namespace ondrix::graph {

class TPixelCanvas
{
  public:
    explicit TPixelCanvas(QPainter& painter) : painter_(painter) {}

    void HorizontalLine(int fromX, int toX, int y, QRgb color);
    void VerticalLine(int x, int fromY, int toY, QRgb color);
    void Outline(int left, int top, int right, int bottom, QRgb color);
    void FillRect(int left, int top, int right, int bottom, QRgb color);

    // Draws a frame of the given style on (L, T, R, B) (R and B inclusive) and,
    // unless the style is bstNone, shrinks the rectangle by one pixel per side.
    void Border(TBorderStyle style, QRgb single, QRgb highlight, QRgb shadow, TGraphRect& rect);

  private:
    QPainter& painter_;
};

} // namespace ondrix::graph
