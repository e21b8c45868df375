// Compiles random texts with random variable values and evaluates them, and
// checks the native code of each against the plain walk over its records.
// Input layout: one byte of switches, eight bytes choosing the values of
// A B C D E X Y T, then the formula text.
#include "parser/ExpressionCompiler.h"
#include "parser/MDParser.h"
#ifdef ONDRIX_MACHINE_CODE
#include "parser/MachineCode.h"
#endif

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

constexpr long double kValues[] = {
    0.0L,
    -0.0L,
    1.0L,
    -1.0L,
    2.0L,
    0.5L,
    -2.5L,
    3.0L,
    4.0L,
    7.9L,
    1e10L,
    -1e10L,
    1e300L,
    1e-300L,
    1e4000L,
    -1e4000L,
    1e-4940L,
    0x1p63L,
    -0x1p63L,
    0x1p64L,
    3.14159265358979323846L,
    1.0L + 0x1p-63L,
    std::numeric_limits<long double>::max(),
    std::numeric_limits<long double>::infinity(),
    -std::numeric_limits<long double>::infinity(),
    std::numeric_limits<long double>::quiet_NaN(),
};
constexpr std::size_t kValueCount = sizeof(kValues) / sizeof(kValues[0]);

long double ValueFor(std::uint8_t byte)
{
    if (byte < kValueCount) return kValues[byte];
    return (static_cast<int>(byte) - 128) / 8.0L;
}

struct Outcome
{
    long double value = 0;
    bool calcError = false;
    int fault = -1;
};

template <typename Run> Outcome Evaluate(Run run)
{
    Outcome outcome;
    try {
        outcome.value = run(outcome.calcError);
    } catch (const EMathFault& fault) {
        outcome.fault = static_cast<int>(fault.FaultKind());
        outcome.value = 0;
    }
    return outcome;
}

#ifdef ONDRIX_MACHINE_CODE
// Native code (with the program behind it when it bails) must give what the
// plain walk gives, to the last bit, through a sweep of X.
void CompareNativeWithPlainWalk(TMDParser& parser, const std::string& text)
{
    using namespace ondrix::parser;
    const CompileTables tables{parser.Variables(), parser.Functions1(), parser.Functions2(),
                               parser.PointNumberformat()};
    auto plain = CompileFormula(text, tables);
    auto fast = CompileFormula(text, tables);
    fast->program = BuildProgram(fast->operations, fast->cells);
    const auto code = TMachineCode::Compile(fast->operations, fast->cells);
    if (!code) return;
    const long double start = parser.X();
    for (int sweep = 0; sweep < 4; ++sweep) {
        parser.SetX(sweep == 2 ? 0 : start + sweep * 0.75L);
        const Outcome expected = Evaluate([&](bool& error) { return RunRecords(plain->Head(), error); });
        const Outcome actual = Evaluate([&](bool& error) {
            const long double value = code->Run();
            return TMachineCode::Bailed(value) ? RunProgram(fast->program, error) : value;
        });
        if (std::memcmp(&expected.value, &actual.value, 10) != 0 || expected.calcError != actual.calcError ||
            expected.fault != actual.fault)
            std::abort();
    }
    parser.SetX(start);
}
#endif

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 9) return 0;
    TMDParser parser;
    int calls = 0;
    parser.AddFunction("odd", [](TOperation& op) {
        const long double nearest = std::nearbyint(*op.Arg1);
        *op.Dest = std::fmod(std::fabs(nearest), 2.0L) == 1 ? 1 : 0;
    });
    parser.AddFunction("timer", [&calls](TOperation& op) {
        ++calls;
        *op.Dest = std::trunc(*op.Arg1) == 0 ? 1 : 0;
    });
    parser.SetPointNumberformat((data[0] & 1) == 0);
    const bool defineNamed = (data[0] & 2) != 0;
    parser.SetA(ValueFor(data[1]));
    parser.SetB(ValueFor(data[2]));
    parser.SetC(ValueFor(data[3]));
    parser.SetD(ValueFor(data[4]));
    parser.SetE(ValueFor(data[5]));
    parser.SetX(ValueFor(data[6]));
    parser.SetY(ValueFor(data[7]));
    parser.SetT(ValueFor(data[8]));
    if (defineNamed) parser.DefineVariable("freq", ValueFor(data[1] ^ data[2]));

    const std::string text(reinterpret_cast<const char*>(data + 9), size - 9);
    bool compiled = false;
    try {
        compiled = parser.CompileExpression(text);
    } catch (const EMathParserError&) {
        if (parser.IsCompiled() || parser.Value() != 0)
            std::abort(); // a failed compile leaves nothing behind
        return 0;
    }
    if (!compiled) return 0;
#ifdef ONDRIX_MACHINE_CODE
    CompareNativeWithPlainWalk(parser, text);
#endif
    for (int sweep = 0; sweep < 3; ++sweep) {
        try {
            (void)parser.Value();
            (void)parser.CalcError();
        } catch (const EMathFault&) {
        }
        parser.SetX(parser.X() + 0.25L);
    }
    // The same text compiles again to the same result.
    if (!parser.CompileExpression(text)) std::abort();
    return 0;
}
