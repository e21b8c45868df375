// The parser component: variables and cells, added functions, the error event,
// the compile/evaluate lifecycle and the front panel's plot series.
#include "ParserTestSupport.h"

#include <cmath>
#include <stdexcept>

using namespace ondrix::parser::test;

namespace {

// Compiled while the program's static objects are still being built, as a
// global parser of a host program might be.
const bool kCompiledDuringStaticInitialisation = [] {
    TMDParser parser;
    return parser.CompileExpression("(X+1)*2");
}();

TEST(Lifecycle, UsableDuringStaticInitialisation)
{
    EXPECT_TRUE(kCompiledDuringStaticInitialisation);
}

TEST(Lifecycle, NewParser)
{
    TMDParser parser;
    EXPECT_EQ(parser.Value(), 0);
    EXPECT_EQ(parser.Expression(), "");
    EXPECT_FALSE(parser.CalcError());
    EXPECT_FALSE(parser.IsCompiled());
    EXPECT_EQ(parser.Owner(), nullptr);
    int owner = 0;
    TMDParser owned(&owner);
    EXPECT_EQ(owned.Owner(), &owner);
}

TEST(Lifecycle, CompileOnceEvaluateMany)
{
    TMDParser parser;
    ASSERT_TRUE(parser.CompileExpression("X*2"));
    parser.SetX(3);
    EXPECT_EQ(parser.Value(), 6);
    EXPECT_FALSE(parser.CalcError());
    parser.SetX(4);
    EXPECT_EQ(parser.Value(), 8);
}

TEST(Lifecycle, EmptyAndFailedCompilesLeaveNothing)
{
    TMDParser parser;
    ASSERT_TRUE(parser.CompileExpression("1/0"));
    parser.Value();
    EXPECT_TRUE(parser.CalcError());
    EXPECT_FALSE(parser.CompileExpression(""));
    EXPECT_FALSE(parser.IsCompiled());
    EXPECT_EQ(parser.Value(), 0);
    EXPECT_TRUE(parser.CalcError()); // left as it was

    ASSERT_TRUE(parser.CompileExpression("7"));
    EXPECT_THROW(parser.CompileExpression("X**"), ESyntaxError);
    EXPECT_EQ(parser.Expression(), "X**"); // kept also when it failed
    EXPECT_FALSE(parser.IsCompiled());
    EXPECT_EQ(parser.Value(), 0);
    // Still usable afterwards.
    EXPECT_EQ(Evaluate(parser, "7"), 7);
}

TEST(Lifecycle, ExpressionProperty)
{
    TMDParser parser;
    parser.SetExpression("2+3");
    EXPECT_EQ(parser.Expression(), "2+3");
    EXPECT_EQ(parser.Value(), 5);
    EXPECT_THROW(parser.SetExpression("(2"), EMissMatchingBracket);
    EXPECT_EQ(parser.Expression(), "(2");
}

TEST(Lifecycle, SingleOperandUsesTheVariableCell)
{
    TMDParser parser;
    ASSERT_TRUE(parser.CompileExpression("Y"));
    const TOperation* only = parser.Operations();
    ASSERT_NE(only, nullptr);
    EXPECT_EQ(only->Next, nullptr);
    EXPECT_EQ(only->Kind, okVariable);
    EXPECT_EQ(only->Dest, only->Arg1);
    parser.SetY(12.5L);
    EXPECT_EQ(parser.Value(), 12.5L);
    ASSERT_TRUE(parser.CompileExpression("2.5"));
    EXPECT_EQ(parser.Value(), 2.5L);
    EXPECT_EQ(parser.Operations()->Kind, okVariable);
}

TEST(ErrorEvent, HandlerTakesTheException)
{
    TMDParser parser;
    std::string seen;
    TMDCustomParser* sender = nullptr;
    parser.SetOnParserError([&](TMDCustomParser* from, const std::exception& error) {
        sender = from;
        seen = error.what();
    });
    EXPECT_FALSE(parser.CompileExpression("FOO(1)"));
    EXPECT_EQ(seen, SyntaxMessage("FOO(1)"));
    EXPECT_EQ(sender, &parser);
    EXPECT_FALSE(parser.IsCompiled());
    EXPECT_FALSE(parser.CompileExpression("X + 1"));
    EXPECT_EQ(seen, "Expression has blanks");
    EXPECT_TRUE(parser.CompileExpression("1"));
    parser.SetOnParserError(nullptr);
    EXPECT_THROW(parser.CompileExpression("FOO(1)"), ESyntaxError);
}

TEST(Variables, DefineReadAndWriteThroughTheCell)
{
    TMDParser parser;
    long double* audio = parser.DefineVariable("audiofreq", 440);
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(Evaluate(parser, "AUDIOFREQ*2"), 880);
    *audio = 500;
    EXPECT_EQ(parser.Value(), 1000); // no recompile
    EXPECT_EQ(parser.DefineVariable("AudioFreq", 100), audio);
    EXPECT_EQ(*audio, 100);
    EXPECT_EQ(Evaluate(parser, "audiofreq+Audiofreq"), 200);
    // Defining a name never recompiles; the next compile sees it.
    EXPECT_THROW(parser.CompileExpression("IOFREQ"), ESyntaxError);
    parser.DefineVariable("IOFreq", 3);
    EXPECT_EQ(Evaluate(parser, "IOFREQ"), 3);
}

TEST(Variables, BadNames)
{
    TMDParser parser;
    try {
        parser.DefineVariable("2X", 0);
        FAIL();
    } catch (const EBadName& error) {
        EXPECT_STREQ(error.what(), "2X");
    }
    try {
        parser.DefineVariable("a b", 0);
        FAIL();
    } catch (const EBadName& error) {
        EXPECT_STREQ(error.what(), "A B"); // upper-cased
    }
    EXPECT_THROW(parser.DefineVariable("", 0), EBadName);
    EXPECT_THROW(parser.DefineVariable("X-1", 0), EBadName);
    EXPECT_EQ(parser.Variables().size(), 8u); // unchanged
    EXPECT_NE(parser.DefineVariable("_x9", 1), nullptr);
}

TEST(Variables, SingleLettersAreTheComponentsOwnCells)
{
    TMDParser parser;
    long double* x = parser.DefineVariable("x", 5);
    EXPECT_EQ(parser.X(), 5);
    parser.SetX(6);
    EXPECT_EQ(*x, 6);
    EXPECT_EQ(Evaluate(parser, "A+B+C+D+E+T+X+Y"), 6);

    // The bare component has the cells but no names until they are defined.
    TMDCustomParser custom;
    EXPECT_TRUE(custom.Variables().empty());
    EXPECT_TRUE(custom.Functions1().empty());
    EXPECT_THROW(custom.CompileExpression("X"), ESyntaxError);
    custom.DefineVariable("X", 2);
    EXPECT_EQ(Evaluate(custom, "X*X"), 4);
}

TEST(Variables, TablesOfTheReadyParser)
{
    TMDParser parser;
    EXPECT_EQ(parser.Variables().size(), 8u);
    EXPECT_EQ(parser.Functions1().size() + parser.Functions2().size(), 30u);
    EXPECT_EQ(parser.Functions2().size(), 6u);
}

TEST(AddedFunctions, CapturingRoutineReachesItsHost)
{
    struct Host
    {
        bool outputs[4] = {true, false, false, true};
    } host;
    TMDParser parser;
    parser.AddFunction("timer", [&host](TOperation& op) {
        const long double n = std::trunc(*op.Arg1);
        *op.Dest = n >= 0 && n <= 3 && host.outputs[static_cast<int>(n)] ? 1 : 0;
    });
    EXPECT_EQ(Evaluate(parser, "timer(0)*5"), 5);
    host.outputs[0] = false;
    EXPECT_EQ(parser.Value(), 0);
    EXPECT_EQ(Evaluate(parser, "TIMER(3.7)"), 1);
}

TEST(AddedFunctions, NamesAndDuplicates)
{
    TMDParser parser;
    auto half = [](TOperation& op) { *op.Dest = *op.Arg1 / 2; };
    parser.AddFunction("odd", half);
    try {
        parser.AddFunction("ODD", half);
        FAIL();
    } catch (const EDuplicateFunction& error) {
        EXPECT_STREQ(error.what(), "String list does not allow duplicates");
    }
    EXPECT_THROW(parser.AddFunction("sin", half), EDuplicateFunction);
    try {
        parser.AddFunction("bad name", half);
        FAIL();
    } catch (const EBadName& error) {
        EXPECT_STREQ(error.what(), "bad name"); // as passed
    }
    EXPECT_THROW(parser.AddFunction("half", TMathRoutine()), std::invalid_argument);
    // A two-argument name may also be added as a one-argument function.
    parser.AddFunction("max", half);
    EXPECT_EQ(Evaluate(parser, "MAX(8)"), 4);
    EXPECT_EQ(Evaluate(parser, "MAX(8,9)"), 9);
}

TEST(AddedFunctions, MathErrorsUnwrittenResultsAndFaults)
{
    TMDParser parser;
    parser.AddFunction("positive", [](TOperation& op) {
        if (*op.Arg1 <= 0)
            op.MathError = true;
        else
            *op.Dest = *op.Arg1;
    });
    parser.AddFunction("keep", [](TOperation&) {});
    parser.AddFunction("huge", [](TOperation& op) { *op.Dest = *op.Arg1 * 1e4000L * 1e4000L; });
    parser.AddFunction("fail", [](TOperation&) -> void { throw std::runtime_error("host failed"); });
    EXPECT_TRUE(GivesMathError(parser, "POSITIVE(-1)"));
    EXPECT_EQ(Evaluate(parser, "KEEP(5)"), 0); // a result cell starts at 0
    ASSERT_TRUE(parser.CompileExpression("HUGE(X)"));
    parser.SetX(1);
    EXPECT_THROW(parser.Value(), EMathFault);
    ASSERT_TRUE(parser.CompileExpression("FAIL(1)+1"));
    EXPECT_THROW(parser.Value(), std::runtime_error);
}

// The functions the front panel adds to the graph's parser.
void AddPanelFunctions(TMDParser& parser, const bool (&outputs)[4])
{
    parser.AddFunction("odd", [](TOperation& op) {
        const long double nearest = std::nearbyint(*op.Arg1); // ties to even
        *op.Dest = std::fmod(std::fabs(nearest), 2.0L) == 1 ? 1 : 0;
    });
    parser.AddFunction("timer", [&outputs](TOperation& op) {
        const long double n = std::trunc(*op.Arg1);
        *op.Dest = n >= 0 && n <= 3 && outputs[static_cast<int>(n)] ? 1 : 0;
    });
}

TEST(PanelSeries, CompileAndEvaluate)
{
    bool outputs[4] = {true, true, true, true};
    TMDParser parser;
    AddPanelFunctions(parser, outputs);
    const long double b = 0.75L * 1.5L;
    parser.SetB(b);
    parser.SetX(2.5L);
    SeedRandom(3);
    EXPECT_EQ(Evaluate(parser, "odd(2.5)"), 0);
    EXPECT_EQ(Evaluate(parser, "odd(3.4)"), 1);
    EXPECT_EQ(Evaluate(parser, "odd(-1)"), 1);

    EXPECT_NEAR(Evaluate(parser, "timer(0)*(sin(x)*(b*0.75))"), std::sin(2.5L) * (b * 0.75L), 1e-18L);
    EXPECT_EQ(Evaluate(parser, "timer(0)*((b*odd(x))-(b/2))"), -b / 2);
    EXPECT_EQ(Evaluate(parser, "timer(0)*(xmod4)"), 2);
    // x - 5/4 = 1.25 truncates to 1; (1 + 5) MOD 5 = 1; |1 - 2.5| = 1.5.
    const long double triangle = 4 * b / 5 * 1.5L - b;
    EXPECT_NEAR(Evaluate(parser, "timer(0)*(4*b/5*abs((((x-5/4)mod5)+5)mod5-5/2)-b)"), triangle, 1e-18L);
    const long double noise = Evaluate(parser, "timer(0)*(rnd(b)-(b/2))");
    EXPECT_GE(noise, -b / 2); // int(b) = 1, so rnd(b) lies in [0, 1)
    EXPECT_LT(noise, 1 - b / 2);
    EXPECT_EQ(Evaluate(parser, "timer(3)*(((b*odd(x))-(b/2))+1)"), 1 - b / 2);
    EXPECT_EQ(Evaluate(parser, "0"), 0);

    outputs[0] = false;
    EXPECT_EQ(Evaluate(parser, "timer(0)*(sin(x)*(b*0.75))"), 0);
    EXPECT_EQ(Evaluate(parser, "timer(3)*(((b*odd(x))-(b/2))+1)"), 1 - b / 2);
}

} // namespace
