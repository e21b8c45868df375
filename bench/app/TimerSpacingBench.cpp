// How evenly the toggle timers tick: over 10 s at 1 ms and at 20 ms, the mean
// frequency error and the 99th percentile of the period error.
#include "app/model/Timer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

namespace {

void BM_ToggleTimerSpacing(benchmark::State& state)
{
    const int interval = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::vector<qint64> ticks;
        ticks.reserve(20000);
        QElapsedTimer clock;
        auto timer = ondrix::app::QtTimers()(interval, false);
        timer->OnTimer = [&] { ticks.push_back(clock.nsecsElapsed()); };
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        clock.start();
        timer->SetEnabled(true);
        loop.exec();
        timer->SetEnabled(false);

        std::vector<double> errors;
        for (std::size_t i = 1; i < ticks.size(); ++i)
            errors.push_back(std::abs((ticks[i] - ticks[i - 1]) * 1e-6 - interval));
        std::sort(errors.begin(), errors.end());
        const double seconds = (ticks.back() - ticks.front()) * 1e-9;
        const double measured = (ticks.size() - 1) / seconds;
        const double wanted = 1000.0 / interval;
        state.counters["ticks"] = static_cast<double>(ticks.size());
        state.counters["mean_freq_error_percent"] = 100 * (measured - wanted) / wanted;
        state.counters["p99_period_error_ms"] = errors.empty() ? 0 : errors[errors.size() * 99 / 100];
    }
}
BENCHMARK(BM_ToggleTimerSpacing)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace
