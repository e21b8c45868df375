// The evaluation program (register operand, literal constants, skipped cell
// writes) must give what the plain walk over the records gives: the same
// values to the last bit, the same math errors with the same returned cell,
// the same faults, over sequences of X that go through errors and back.
// (Uses the compiler's internal headers.)
#include "EvaluationOutcome.h"
#include "parser/ExpressionCompiler.h"
#include "parser/MDParser.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace ondrix::parser;
using namespace ondrix::parser::test;

TEST(EvaluationProgram, MatchesThePlainWalk)
{
    TMDParser parser;
    long double* x = parser.DefineVariable("X", 0);
    parser.DefineVariable("B", 0.9L);
    parser.DefineVariable("Y", std::numeric_limits<long double>::quiet_NaN());
    // Added routines: a plain one, one that overflows, one with a domain error.
    parser.AddFunction("half", [](TOperation& op) { *op.Dest = *op.Arg1 / 2; });
    parser.AddFunction("huge", [](TOperation& op) { *op.Dest = *op.Arg1 * 1e4000L * 1e4000L; });
    parser.AddFunction("positive", [](TOperation& op) {
        if (*op.Arg1 < 0)
            op.MathError = true;
        else
            *op.Dest = *op.Arg1;
    });
    const CompileTables tables{parser.Variables(), parser.Functions1(), parser.Functions2()};
    const long double kXs[] = {0.5L,     0,    2, -1,
                               1e4000L,  0,    3, -std::numeric_limits<long double>::infinity(),
                               1e-4940L, 0.3L, 0, -2.5L};
    std::mt19937 random(12345);
    int compared = 0, errors = 0, faults = 0;
    for (int n = 0; n < 3000; ++n) {
        const std::string text = RandomText(random, 4, true);
        std::unique_ptr<TCompiledExpression> plain, fast;
        try {
            plain = CompileFormula(text, tables);
            fast = CompileFormula(text, tables);
        } catch (const EMathParserError&) {
            continue;
        }
        const auto program = BuildProgram(fast->operations, fast->cells);
        ASSERT_FALSE(program.empty()) << text;
        for (long double value : kXs) {
            *x = value;
            const Outcome expected =
                EvaluateOutcome([&](bool& error) { return RunRecords(plain->Head(), error); });
            const Outcome actual = EvaluateOutcome([&](bool& error) { return RunProgram(program, error); });
            ASSERT_TRUE(actual == expected) << text << " at X=" << static_cast<double>(value) << ": "
                                            << Show(actual) << " instead of " << Show(expected);
            ++compared;
            errors += expected.calcError;
            faults += !expected.fault.empty();
        }
    }
    // The sequences must really have gone through both kinds of failure.
    EXPECT_GT(compared, 10000);
    EXPECT_GT(errors, 500);
    EXPECT_GT(faults, 500);
}

TEST(EvaluationProgram, AddedRoutinesRunInListOrder)
{
    TMDParser parser;
    std::vector<long double> seen;
    parser.AddFunction("note", [&seen](TOperation& op) {
        seen.push_back(*op.Arg1);
        *op.Dest = *op.Arg1;
    });
    ASSERT_TRUE(parser.CompileExpression("note(1)*2+note(X/2)-note(3)"));
    parser.SetX(8);
    EXPECT_EQ(parser.Value(), 3);
    // Deepest level first, left to right within a level.
    EXPECT_EQ(seen, (std::vector<long double>{1, 4, 3}));
}

} // namespace
