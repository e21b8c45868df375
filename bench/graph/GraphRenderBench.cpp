// Render of the front panel's 65 x 57 plot with its four series, and of a
// 1920 x 1080 plot with four series, grid and numbers. Targets: under 100 us
// and under 5 ms per render.
#include "graph/EasyGraph.h"

#include "common/QtPlatformChoice.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>

using namespace ondrix::graph;

namespace {

// The front panel's plot functions: every output switched on.
void AddPanelFunctions(TMDParser& parser)
{
    parser.AddFunction("odd", [](TOperation& op) { *op.Dest = std::llrint(*op.Arg1) % 2 != 0 ? 1 : 0; });
    parser.AddFunction("timer", [](TOperation& op) { *op.Dest = 1; });
}

void AddSeries(TEasyGraph& graph, const char* expression, TColor color)
{
    graph.Series().Add();
    TPoints& points = graph.Series().Items(graph.Series().Count() - 1);
    points.SetColor(color);
    points.SetExpression(expression);
}

void BM_RenderFrontPanel(benchmark::State& state)
{
    TEasyGraph graph;
    graph.resize(65, 57);
    graph.SetColorBg(clBlack);
    graph.SetColorAxis(clGray);
    graph.SetNumbHoriz(false);
    graph.SetNumbVert(false);
    AddPanelFunctions(graph.Parser());
    graph.Parser().SetA(-7.5L);
    graph.Parser().SetB(7.5L);
    AddSeries(graph, "timer(0)*(sin(x)*(b*0.75))", clRed);
    AddSeries(graph, "timer(3)*(((b*odd(x))-(b/2))+1)", clBlue);
    AddSeries(graph, "timer(1)*(((b*odd(x))-(b/2))+1.25)", clYellow);
    AddSeries(graph, "timer(2)*(((b*odd(x))-(b/2))+1.5)", clPurple);
    graph.SetVisible(TEGRange{0, -10, 5, 10});
    for (auto _ : state) {
        graph.Render();
        benchmark::DoNotOptimize(graph.BackBuffer().constBits());
    }
}
BENCHMARK(BM_RenderFrontPanel)->Unit(benchmark::kMicrosecond);

void BM_RenderFullHd(benchmark::State& state)
{
    TEasyGraph graph;
    graph.resize(1920, 1080);
    AddSeries(graph, "sin(x)*5", clRed);
    AddSeries(graph, "x^3/50", clBlue);
    AddSeries(graph, "exp(x/4)-5", clYellow);
    AddSeries(graph, "tan(x)", clPurple);
    graph.SetVisible(TEGRange{-10, -10, 10, 10});
    for (auto _ : state) {
        graph.Render();
        benchmark::DoNotOptimize(graph.BackBuffer().constBits());
    }
}
BENCHMARK(BM_RenderFullHd)->Unit(benchmark::kMillisecond);

// The same picture with a steep, fast-changing series: long vertical runs.
void BM_RenderFullHdSteep(benchmark::State& state)
{
    TEasyGraph graph;
    graph.resize(1920, 1080);
    AddSeries(graph, "sin(x*20)*9", clRed);
    AddSeries(graph, "sin(x*31)*8", clBlue);
    AddSeries(graph, "sin(x*7)*x", clYellow);
    AddSeries(graph, "random(0)*20-10", clPurple);
    graph.SetVisible(TEGRange{-10, -10, 10, 10});
    for (auto _ : state) {
        graph.Render();
        benchmark::DoNotOptimize(graph.BackBuffer().constBits());
    }
}
BENCHMARK(BM_RenderFullHdSteep)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    ondrix::common::ChooseOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
