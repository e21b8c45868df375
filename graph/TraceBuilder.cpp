#include "graph/TraceBuilder.h"

#include <algorithm>
#include <cstdlib>

namespace ondrix::graph {

void TTraceBuilder::Reset(int clipTop, int clipBottom)
{
    runs_.clear();
    clipTop_ = clipTop;
    clipBottom_ = clipBottom;
}

void TTraceBuilder::Segment(int column, int fromRow, int toRow)
{
    const int rows = std::abs(toRow - fromRow);
    if (rows <= 1) {
        Pixel(column, fromRow);
        return;
    }
    // A steep step: the first half of the rows stays in the start column, the
    // rest moves to the next one; the end row itself is left to the next segment.
    const int firstHalf = (rows + 1) / 2;
    if (toRow > fromRow) {
        Column(column, fromRow, fromRow + firstHalf - 1);
        Column(column + 1, fromRow + firstHalf, toRow - 1);
    } else {
        Column(column, fromRow - firstHalf + 1, fromRow);
        Column(column + 1, toRow + 1, fromRow - firstHalf);
    }
}

void TTraceBuilder::Pixel(int column, int row)
{
    if (row < clipTop_ || row >= clipBottom_) return;
    // Extend a horizontal run that ends just left of this pixel.
    if (!runs_.empty()) {
        QLine& last = runs_.back();
        if (last.y1() == row && last.y2() == row && last.x2() == column) {
            last.setP2(QPoint(column + 1, row));
            return;
        }
    }
    runs_.emplace_back(column, row, column + 1, row);
}

void TTraceBuilder::Column(int column, int top, int bottom)
{
    top = std::max(top, clipTop_);
    bottom = std::min(bottom, clipBottom_ - 1);
    if (top > bottom) return;
    if (top == bottom) {
        Pixel(column, top);
        return;
    }
    runs_.emplace_back(column, top, column, bottom + 1);
}

} // namespace ondrix::graph
