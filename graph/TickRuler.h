// Where the grid lines and numbers of one axis go: a step of 10000 / n with n
// from 1, 2, 10, 20, 100, 200, ... chosen so that the spacing in pixels still
// exceeds the size of a label, and the ticks it gives inside the visible span.
#pragma once

#include <cstdint>
#include <vector>

namespace ondrix::graph {

struct TTick
{
    long double Value = 0;
    int Offset = 0; // pixels from the axis' minimum, Trunc((Value - Min) * P)
};

class TTickRuler
{
  public:
    // D = Round(P * 10000 / S): how many labels of size S fit on 10000 units.
    static std::int64_t LabelDensity(long double pixelsPerUnit, int labelSize);
    // 10000 / n* where n* is the largest of 1, 2, 10, 20, 100, ... below D.
    static long double StepFor(std::int64_t density);
    // The ticks from the first multiple of step past Min up to Max; ticks with a
    // negative pixel offset are left out. Empty when the inputs are unusable.
    static void Ticks(long double min, long double max, long double pixelsPerUnit, long double step,
                      std::vector<TTick>& ticks);
};

} // namespace ondrix::graph
