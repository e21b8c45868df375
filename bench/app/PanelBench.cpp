// The front panel's costs: one display refresh (status text and both renders
// of the mini plot; target under 0.2 ms), building and painting the window
// with its artwork (target under 100 ms to the first paint), and the program's
// processor time while idle (target under 1 % of a core) and with the DTR,
// RTS and parallel toggles at 1 ms (target under 3 %).
#include "BenchServices.h"
#include "app/panel/TOndrix.h"

#include "common/QtPlatformChoice.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace {

using namespace ondrix;

struct TProgram
{
    explicit TProgram(std::vector<std::string> switches)
        : instrument(bench::QuietServices()), window(instrument),
          startup(instrument, [&] {
              switches.insert(switches.begin(), "ondrix");
              return switches;
          }(), window.Hooks())
    {
        startup.FormCreate();
    }
    app::TInstrument instrument;
    app::TOndrix window;
    app::TStartup startup;
};

double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

long PeakResidentKib()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

void BM_DisplayRefresh(benchmark::State& state)
{
    TProgram program({"/sine", "/dtr=50", "/rts=50", "/iofreq=50", "/com=COM1"});
    for (auto _ : state)
        program.window.RefreshDisplay();
}
BENCHMARK(BM_DisplayRefresh)->Unit(benchmark::kMicrosecond);

void BM_WindowToFirstPaint(benchmark::State& state)
{
    for (auto _ : state) {
        TProgram program({});
        program.window.show();
        benchmark::DoNotOptimize(program.window.grab());
    }
    state.counters["peak_MiB"] = static_cast<double>(PeakResidentKib()) / 1024;
}
BENCHMARK(BM_WindowToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(5);

// Runs the program's event loop for a while and reports the share of one core it took.
void RunAndMeasure(benchmark::State& state, std::vector<std::string> switches)
{
    TProgram program(std::move(switches));
    program.window.show();
    for (auto _ : state) {
        QEventLoop loop;
        const double cpuBefore = ProcessCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        state.counters["core_percent"] = 100 * (ProcessCpuSeconds() - cpuBefore) / (wall.nsecsElapsed() * 1e-9);
    }
}

void BM_IdleProgram(benchmark::State& state)
{
    RunAndMeasure(state, {"/sine"});
}
BENCHMARK(BM_IdleProgram)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_AllTogglesAt1ms(benchmark::State& state)
{
    RunAndMeasure(state, {"/com=COM1", "/dtr=500", "/rts=500", "/iofreq=500"});
}
BENCHMARK(BM_AllTogglesAt1ms)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    common::ChooseOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
