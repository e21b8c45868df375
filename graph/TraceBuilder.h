// Turns the samples of one series into the exact pixels a pen leaves: each
// segment between neighbouring columns covers its start pixel but not its end
// pixel, as a line drawn point to point does. The pixels are collected as
// horizontal and vertical runs (1 pixel thick, end exclusive) so that a whole
// series goes to the painter in one call.
#pragma once

#include <QLine>
#include <vector>

namespace ondrix::graph {

class TTraceBuilder
{
  public:
    // Rows outside [clipTop, clipBottom) are dropped while building.
    void Reset(int clipTop, int clipBottom);

    // The segment from (column, fromRow) to (column + 1, toRow), end pixel excluded.
    void Segment(int column, int fromRow, int toRow);
    // A single pixel.
    void Pixel(int column, int row);

    // Runs as lines whose second point lies one pixel past the run.
    const std::vector<QLine>& Runs() const { return runs_; }

  private:
    // The pixels (column, top..bottom), both inclusive.
    void Column(int column, int top, int bottom);

    std::vector<QLine> runs_;
    int clipTop_ = 0;
    int clipBottom_ = 0;
};

} // namespace ondrix::graph
