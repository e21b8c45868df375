#pragma once

#include "tonegen/ToneTypes.h"

#include <functional>

namespace ondrix::graph {
class TEasyGraph;
}

namespace ondrix::app {

// The display's plot of the running outputs: one trace per output in its
// connector's colour, each flat at 0 while its output is off.
class TMiniPlot
{
  public:
    // `outputOn(n)`: output n is on (0 sound, 1 DTR, 2 RTS, 3 parallel port).
    TMiniPlot(graph::TEasyGraph& graph, std::function<bool(int output)> outputOn);

    // Its look, no mouse input, the functions odd and timer, the four series.
    void Prepare();
    // Scales the traces to the vertical range and draws the sound output's
    // trace for the waveform.
    void Refresh(tonegen::TTGWave wave);

  private:
    graph::TEasyGraph& graph_;
    std::function<bool(int)> outputOn_;
};

} // namespace ondrix::app
