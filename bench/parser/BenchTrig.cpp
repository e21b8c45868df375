// ns per call of the extended-precision sine and cosine while sweeping the
// same 400 steps over [0, 5] as the formula benchmarks, beside the C
// library's long double versions.
#include "parser/FastTrig.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {

// The sweep is kept in double, as in the formula benchmarks: a long double
// counter would add an 80-bit round trip through memory to every step.
constexpr double kStep = 5.0 / 400;

double NextX(double x)
{
    return x > 5 ? 0 : x + kStep;
}

template <long double (*Function)(long double)> void Sweep(benchmark::State& state)
{
    double x = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Function(x));
        x = NextX(x);
    }
}

long double LibrarySin(long double x)
{
    return std::sin(x);
}

long double LibraryCos(long double x)
{
    return std::cos(x);
}

void FastSinCosBoth(benchmark::State& state)
{
    double x = 0;
    for (auto _ : state) {
        long double s, c;
        ondrix::parser::FastSinCos(x, s, c);
        benchmark::DoNotOptimize(s);
        benchmark::DoNotOptimize(c);
        x = NextX(x);
    }
}

} // namespace

BENCHMARK(Sweep<ondrix::parser::FastSin>)->Name("Trig/FastSin");
BENCHMARK(Sweep<ondrix::parser::FastCos>)->Name("Trig/FastCos");
BENCHMARK(FastSinCosBoth)->Name("Trig/FastSinCos");
BENCHMARK(Sweep<LibrarySin>)->Name("Trig/StdSinLongDouble");
BENCHMARK(Sweep<LibraryCos>)->Name("Trig/StdCosLongDouble");
