// Native code must give what the plain walk over the records gives — the same
// values to the last bit, the same math errors with the same returned cell,
// the same faults — whether it runs to the end or bails to the evaluation
// program, over sequences of X that go through errors and back.
// (Uses the compiler's internal headers.)
#include "parser/MachineCode.h"
#include "EvaluationOutcome.h"
#include "parser/CompiledExpression.h"
#include "parser/ExpressionCompiler.h"
#include "parser/MDParser.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <span>
#include <string>

namespace {

using namespace ondrix::parser;
using namespace ondrix::parser::test;

constexpr long double kInfinity = std::numeric_limits<long double>::infinity();

// What TMDParser::Value does: native code, and the program when it bails.
struct NativeRun
{
    std::unique_ptr<TCompiledExpression> compiled;
    std::unique_ptr<TMachineCode> code;
    int bails = 0;

    long double operator()(bool& calcError)
    {
        const long double value = code->Run();
        if (!TMachineCode::Bailed(value)) return value;
        ++bails;
        return RunProgram(compiled->program, calcError);
    }
};

class MachineCode : public ::testing::Test
{
  protected:
    MachineCode()
    {
        x_ = parser_.DefineVariable("X", 0);
        parser_.DefineVariable("B", 0.9L);
        parser_.DefineVariable("Y", std::numeric_limits<long double>::quiet_NaN());
        parser_.DefineVariable("BIG", 1e19L);
        parser_.AddFunction("half", [](TOperation& op) { *op.Dest = *op.Arg1 / 2; });
    }

    std::unique_ptr<TCompiledExpression> Compile(const std::string& text)
    {
        auto compiled = CompileFormula(
            text, CompileTables{parser_.Variables(), parser_.Functions1(), parser_.Functions2()});
        compiled->program = BuildProgram(compiled->operations, compiled->cells);
        return compiled;
    }

    NativeRun Native(const std::string& text)
    {
        NativeRun run{Compile(text), nullptr};
        run.code = TMachineCode::Compile(run.compiled->operations, run.compiled->cells);
        return run;
    }

    // Compares native code with the plain walk at every X in turn; false
    // when no native code was made.
    bool MatchesPlainWalk(const std::string& text, std::span<const long double> xs, int* bails = nullptr,
                          int* errors = nullptr, int* faults = nullptr)
    {
        NativeRun native = Native(text);
        if (!native.code) return false;
        auto plain = Compile(text);
        for (long double value : xs) {
            *x_ = value;
            const Outcome expected =
                EvaluateOutcome([&](bool& error) { return RunRecords(plain->Head(), error); });
            const Outcome actual = EvaluateOutcome([&](bool& error) { return native(error); });
            EXPECT_TRUE(actual == expected) << text << " at X=" << static_cast<double>(value) << ": "
                                            << Show(actual) << " instead of " << Show(expected);
            if (errors) *errors += expected.calcError;
            if (faults) *faults += !expected.fault.empty();
        }
        if (bails) *bails += native.bails;
        return true;
    }

    TMDParser parser_;
    long double* x_ = nullptr;
};

TEST_F(MachineCode, MatchesThePlainWalkOnRandomExpressions)
{
    const long double kXs[] = {0.5L, 0,     2,      -1,    1e4000L, 0,     3,        -kInfinity,
                               0.3L, 1e19L, -1e19L, 7.25L, 0,       -0.0L, 1e-4940L, -2.5L};
    std::mt19937 random(2024);
    int operations = 0, native = 0, bails = 0, errors = 0, faults = 0;
    for (int n = 0; n < 4000; ++n) {
        std::string text = RandomText(random, n % 5 == 0 ? 6 : 4, false);
        if (n % 3 == 0) text = "(" + text + ")*X-(BIG)MOD(X+1)";
        try {
            // A lone variable or number is no operation to make code for.
            operations += Compile(text)->operations.front().Kind != okVariable;
        } catch (const EMathParserError&) {
            continue;
        }
        native += MatchesPlainWalk(text, kXs, &bails, &errors, &faults);
        if (HasFailure()) return;
    }
    // Nearly everything gets native code, and the runs went through every path.
    // (Most of those left out divide by a literal that truncates to 0.)
    EXPECT_GT(native, operations * 8 / 10);
    EXPECT_GT(bails, 5000);
    EXPECT_GT(errors, 3000);
    EXPECT_GT(faults, 3000);
}

TEST_F(MachineCode, TheFrontPanelFormulasGetIt)
{
    const long double kXs[] = {0, 0.3L, 1.25L, 2.5L, 4.99L, 5, 7.5L, -3.75L, 1e6L};
    for (const char* text : {"sin(x)*(b*0.75)", "4*b/5*abs((((x-5/4)mod5)+5)mod5-5/2)-b", "b*x*x+3*x-2",
                             "(b*x)-(b/2)", "cos(x)+sin(x)*sin(x)", "xmod4", "x^2-x^3+x^4-x^5"}) {
        int bails = 0;
        EXPECT_TRUE(MatchesPlainWalk(text, kXs, &bails)) << text;
        EXPECT_EQ(bails, 0) << text;
    }
}

TEST_F(MachineCode, RegisterPressureAndCallsInEveryPosition)
{
    // A balanced tree needs a register per level; calls on both sides of an
    // operator need a value kept aside.
    std::string balanced = "X";
    for (int level = 0; level < 5; ++level)
        balanced = "(" + balanced + "+B*" + std::to_string(level) + ")*(" + balanced + "-" +
                   std::to_string(level) + ")";
    const long double kXs[] = {0.1L, -0.2L, 0, 1e-3L};
    EXPECT_TRUE(MatchesPlainWalk(balanced, kXs));
    std::string wide = "X";
    for (int i = 1; i < 6; ++i)
        wide = "(" + wide + ")*(X+" + std::to_string(i) + ")-(B-X/" + std::to_string(i) + ")";
    EXPECT_TRUE(MatchesPlainWalk(wide, kXs));
    // Eight variables read twice would take every register when kept there.
    EXPECT_TRUE(MatchesPlainWalk("A*B+C*D+E*X+Y*T-(A+B+C+D+E+X+Y+T)*(A-B)", kXs));
    for (const char* text : {"SIN(X)*COS(X)+SQRT(X*X)*EXP(X)", "MAX(SIN(X),COS(X))/(LN(X*X+1)+SIN(B))",
                             "(SIN(X)+1)MOD(COS(X)*10)", "(X*4)MODSIN(X)", "ARCTAN(X*X)-ARCTAN(1/X)",
                             "X^7*INTPOWER(B,-3)+POWER(B,X)", "LOGN(B,X*X)+PH(X)-TAN(X)*COTAN(X)"})
        EXPECT_TRUE(MatchesPlainWalk(text, kXs)) << text;
}

TEST_F(MachineCode, OnlyForExpressionsThatCanRunTwice)
{
    // Random numbers and added routines may have effects of their own: a bail
    // must not run them a second time.
    for (const char* text : {"RND(X)+1", "X*RANDOM(0)", "HALF(X)*2", "X", "2", "X/0", "XMOD0.5", "XDIV1E30"})
        EXPECT_EQ(Native(text).code, nullptr) << text;
    EXPECT_NE(Native("X+1").code, nullptr);
    AllowMachineCode(false);
    EXPECT_EQ(Native("X+1").code, nullptr);
    AllowMachineCode(true);
}

TEST_F(MachineCode, ADomainErrorReturnsTheCellOfTheLastSuccess)
{
    // The division's record is followed by the sum's: a zero divisor returns
    // the sum's cell as the last complete evaluation left it.
    const long double kXs[] = {2, 0, 3, 0, 0, 5};
    int errors = 0;
    EXPECT_TRUE(MatchesPlainWalk("(1/X)*(X+7)", kXs, nullptr, &errors));
    EXPECT_EQ(errors, 3);
    TMDParser parser;
    ASSERT_TRUE(parser.CompileExpression("(1/X)*(X+7)"));
    for (long double x : {2.0L, 3.0L, 4.0L, 5.0L}) {
        parser.SetX(x);
        EXPECT_EQ(parser.Value(), (1 / x) * (x + 7));
    }
    parser.SetX(0);
    const long double returned = parser.Value();
    EXPECT_TRUE(parser.CalcError());
    EXPECT_EQ(returned, 12); // the X + 7 of the evaluation at X = 5
}

TEST(MachineCodeSwitch, TheEnvironmentSwitchesItOff)
{
    for (const char* value : {"1", "yes", "00"})
        EXPECT_TRUE(SwitchesMachineCodeOff(value)) << value;
    for (const char* value : {static_cast<const char*>(nullptr), "", "0"})
        EXPECT_FALSE(SwitchesMachineCodeOff(value)) << (value ? value : "unset");
    // Run with the switch set (as the portable run of these tests is), a formula
    // evaluated again and again never gets code; without it, it does.
    const bool off = SwitchesMachineCodeOff(std::getenv(kNoMachineCodeSwitch));
    EXPECT_EQ(MachineCodeAllowed(), !off);
    TMDParser parser;
    const auto compiled = CompileFormula("X*X+1", CompileTables{parser.Variables(), parser.Functions1(),
                                                                parser.Functions2()});
    EXPECT_EQ(TMachineCode::Compile(compiled->operations, compiled->cells) == nullptr, off);
}

} // namespace
