#include "app/panel/MiniPlot.h"

#include "app/model/PlotFunctions.h"
#include "graph/EasyGraph.h"

namespace ondrix::app {

using namespace graph;

namespace {

struct TTrace
{
    TColor colour;
    const char* expression;
};

// Sound (rewritten on every refresh), parallel port, DTR, RTS.
constexpr TTrace kTraces[] = {
    {clRed, "0"},
    {clBlue, "timer(3)*(((b*odd(x))-(b/2))+1)"},
    {clYellow, "timer(1)*(((b*odd(x))-(b/2))+1.25)"},
    {clPurple, "timer(2)*(((b*odd(x))-(b/2))+1.5)"},
};

} // namespace

TMiniPlot::TMiniPlot(TEasyGraph& graph, std::function<bool(int output)> outputOn)
    : graph_(graph), outputOn_(std::move(outputOn))
{
}

void TMiniPlot::Prepare()
{
    graph_.BeginUpdate();
    graph_.SetAspectRatio(1);
    graph_.SetColorAxis(clGray);
    graph_.SetColorBg(clBlack);
    graph_.SetMaintainRatio(false);
    graph_.SetNumbHoriz(false);
    graph_.SetNumbVert(false);
    graph_.SetQuadrant(egqAll);
    graph_.SetZoomTime(200);
    graph_.SetMousePan(maRight);
    graph_.SetMouseZoom(maRight);
    graph_.SetMouseFuncHint(maShift);
    graph_.setEnabled(false);

    graph_.Parser().AddFunction("odd", [](TOperation& op) { *op.Dest = Odd(*op.Arg1); });
    graph_.Parser().AddFunction("timer", [this](TOperation& op) { *op.Dest = TimerValue(*op.Arg1, outputOn_); });
    for (const TTrace& trace : kTraces) {
        graph_.Series().Add();
        TPoints& points = graph_.Series().Items(graph_.Series().Count() - 1);
        points.SetColor(trace.colour);
        points.SetExpression(trace.expression);
    }
    graph_.EndUpdate();
}

void TMiniPlot::Refresh(tonegen::TTGWave wave)
{
    TEGRange range = graph_.VisibleRange();
    graph_.Parser().DefineVariable("A", 0.75L * range.YMin);
    graph_.Parser().DefineVariable("B", 0.75L * range.YMax);
    graph_.BeginUpdate();
    range.XMin = 0;
    range.XMax = 5;
    graph_.SetVisible(range);
    // Compiled again only when the waveform changed; both renders happen anyway.
    TPoints& sound = graph_.Series().Items(0);
    const std::string trace = SoundTraceExpression(wave);
    if (sound.Expression() != trace) sound.SetExpression(trace);
    graph_.EndUpdate();
}

} // namespace ondrix::app
