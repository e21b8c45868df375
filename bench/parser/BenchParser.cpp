// ns per Value while sweeping X, for the front panel's series and three
// reference formulas (with muparser and hand-written functions beside them),
// and compile times against text length.
#include "BenchFormulas.h"

#include "parser/ExpressionCompiler.h"
#include "parser/MDParser.h"
#ifdef ONDRIX_MACHINE_CODE
#include "parser/MachineCode.h"
#endif

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdint>
#include <muParser.h>

namespace {

using ondrix::bench::ReferenceFormula;

// One pixel column of a 400-pixel plot from 0 to 5. Every contestant sweeps
// the same doubles, so that the sweep costs them all the same: kept in long
// double, the sweep alone (an 80-bit round trip through memory across each
// call) cost a third of a small formula's figure.
constexpr double kStep = 5.0 / 400;

double NextX(double x)
{
    return x > 5 ? 0 : x + kStep;
}

void AddPanelFunctions(TMDParser& parser, const bool* outputs)
{
    // rint rounds half to even like nearbyint, without saving the whole FPU state.
    parser.AddFunction("odd", [](TOperation& op) {
        const long double nearest = std::rint(*op.Arg1);
        *op.Dest = std::fmod(std::fabs(nearest), 2.0L) == 1 ? 1 : 0;
    });
    parser.AddFunction("timer", [outputs](TOperation& op) {
        const long double n = *op.Arg1; // truncated: 0 covers [0, 1), 1 covers [1, 2), ...
        const int index = n >= 0 && n < 4 ? (n < 2 ? (n < 1 ? 0 : 1) : (n < 3 ? 2 : 3)) : -1;
        *op.Dest = index >= 0 && outputs[index] ? 1 : 0;
    });
}

void EvaluateSeries(benchmark::State& state, std::string formula)
{
    static const bool outputs[4] = {true, true, true, true};
    TMDParser parser;
    AddPanelFunctions(parser, outputs);
    parser.SetB(0.75L * 1.2L);
    parser.CompileExpression(formula);
    double x = 0;
    for (auto _ : state) {
        parser.SetX(x);
        benchmark::DoNotOptimize(parser.Value());
        x = NextX(x);
    }
}

void EvaluateOndrix(benchmark::State& state, const ReferenceFormula* formula)
{
    TMDParser parser;
    parser.SetB(0.9L);
    parser.CompileExpression(formula->ondrix);
    double x = 0;
    for (auto _ : state) {
        parser.SetX(x);
        benchmark::DoNotOptimize(parser.Value());
        x = NextX(x);
    }
}

double MuparserMod(double x, double y)
{
    return static_cast<double>(static_cast<std::int64_t>(x) % static_cast<std::int64_t>(y));
}

void PrepareMuparser(mu::Parser& parser, double& x, double& b, const std::string& text)
{
    parser.DefineVar("x", &x);
    parser.DefineVar("b", &b);
    parser.DefineOprt("mod", MuparserMod, mu::prMUL_DIV);
    parser.SetExpr(text);
}

void EvaluateMuparser(benchmark::State& state, const ReferenceFormula* formula)
{
    double x = 0, b = 0.9;
    mu::Parser parser;
    PrepareMuparser(parser, x, b, formula->muparser);
    for (auto _ : state) {
        benchmark::DoNotOptimize(parser.Eval());
        x = NextX(x);
    }
}

void EvaluateFloor(benchmark::State& state, const ReferenceFormula* formula)
{
    double x = 0;
    long double b = 0.9L;
    for (auto _ : state) {
        long double extended = x;
        benchmark::DoNotOptimize(extended);
        benchmark::DoNotOptimize(b);
        benchmark::DoNotOptimize(formula->floor(extended, b));
        x = NextX(x);
    }
}

void CompileOndrix(benchmark::State& state, std::string text)
{
    TMDParser parser;
    for (auto _ : state)
        benchmark::DoNotOptimize(parser.CompileExpression(text));
    state.counters["chars"] = static_cast<double>(text.size());
}

#ifdef ONDRIX_MACHINE_CODE
// Making native code for an expression already compiled (the parser does
// this once an expression has been evaluated a few times).
void CompileNative(benchmark::State& state, const ReferenceFormula* formula)
{
    TMDParser parser;
    const ondrix::parser::CompileTables tables{parser.Variables(), parser.Functions1(), parser.Functions2()};
    const auto compiled = ondrix::parser::CompileFormula(formula->ondrix, tables);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            ondrix::parser::TMachineCode::Compile(compiled->operations, compiled->cells));
}
#endif

void CompileMuparser(benchmark::State& state, const ReferenceFormula* formula)
{
    double x = 0, b = 0.9;
    for (auto _ : state) {
        mu::Parser parser;
        PrepareMuparser(parser, x, b, formula->muparser);
        benchmark::DoNotOptimize(parser.Eval()); // muparser compiles on the first evaluation
    }
}

// muparser's own set-up (variables, the mod operator) without any compiling,
// to be taken off the figure above.
void MuparserSetupOnly(benchmark::State& state)
{
    double x = 0, b = 0.9;
    for (auto _ : state) {
        mu::Parser parser;
        parser.DefineVar("x", &x);
        parser.DefineVar("b", &b);
        parser.DefineOprt("mod", MuparserMod, mu::prMUL_DIV);
        benchmark::DoNotOptimize(&parser);
    }
}

void RegisterAll()
{
    SeedRandom(1);
    const auto& series = ondrix::bench::PanelSeries();
    for (std::size_t i = 0; i < series.size(); ++i)
        benchmark::RegisterBenchmark(("Value/series" + std::to_string(i)).c_str(), EvaluateSeries, series[i]);
    for (const auto& formula : ondrix::bench::ReferenceFormulas()) {
        const std::string name = formula.name;
        benchmark::RegisterBenchmark(("Value/ondrix/" + name).c_str(), EvaluateOndrix, &formula);
        benchmark::RegisterBenchmark(("Value/muparser/" + name).c_str(), EvaluateMuparser, &formula);
        benchmark::RegisterBenchmark(("Value/floor/" + name).c_str(), EvaluateFloor, &formula);
    }
    for (const auto& formula : ondrix::bench::ReferenceFormulas()) {
        const std::string name = formula.name;
        benchmark::RegisterBenchmark(("Compile/ondrix/" + name).c_str(), CompileOndrix, formula.ondrix)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("Compile/muparser/" + name).c_str(), CompileMuparser, &formula)
            ->Unit(benchmark::kMicrosecond);
#ifdef ONDRIX_MACHINE_CODE
        benchmark::RegisterBenchmark(("Compile/native/" + name).c_str(), CompileNative, &formula)
            ->Unit(benchmark::kMicrosecond);
#endif
    }
    benchmark::RegisterBenchmark("Compile/muparser/setup-only", MuparserSetupOnly)
        ->Unit(benchmark::kMicrosecond);
    for (std::size_t length : {10u, 100u, 1000u, 2000u}) {
        benchmark::RegisterBenchmark(("Compile/length/" + std::to_string(length)).c_str(), CompileOndrix,
                                     ondrix::bench::GeneratedExpression(length))
            ->Unit(benchmark::kMicrosecond);
    }
}

} // namespace

int main(int argc, char** argv)
{
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
