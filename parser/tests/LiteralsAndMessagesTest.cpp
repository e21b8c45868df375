// Number literals, preparation of the text, the limits and the exact messages.
#include "ParserTestSupport.h"

#include <functional>
#include <string>

using namespace ondrix::parser::test;

namespace {

TEST(Literals, DecimalForms)
{
    EXPECT_EQ(Evaluate(".5"), 0.5L);
    EXPECT_EQ(Evaluate("5."), 5);
    EXPECT_EQ(Evaluate("1E5"), 100000);
    EXPECT_EQ(Evaluate("2E-3"), 0.002L);
    EXPECT_EQ(Evaluate("1E+3"), 1000);
    EXPECT_EQ(Evaluate("1.5e1"), 15);
    EXPECT_EQ(Evaluate("-2"), -2);
    EXPECT_EQ(Evaluate("+2"), 2);
    EXPECT_EQ(Evaluate("0.1"), 0.1L); // correctly rounded to extended
    EXPECT_EQ(Evaluate("123456789012345678901234567890"), 123456789012345678901234567890.0L);
}

TEST(Literals, PiIsTheOnlyNamedConstant)
{
    const long double pi = 0xc.90fdaa22168c235p-2L;
    EXPECT_EQ(Evaluate("PI"), pi);
    EXPECT_EQ(Evaluate("pi"), pi);
    EXPECT_EQ(Evaluate("-PI"), -pi);
    EXPECT_EQ(Evaluate("2*PI"), 2 * pi);
    TMDParser parser;
    ASSERT_TRUE(parser.CompileExpression("-(PI)"));
    EXPECT_EQ(Kinds(parser), (std::vector<int>{okNegation}));
    ASSERT_TRUE(parser.CompileExpression("-PI"));
    EXPECT_EQ(Kinds(parser), (std::vector<int>{okVariable}));
    EXPECT_EQ(Evaluate("E"), 0); // the variable E, not Euler's number
}

TEST(Literals, DigitlessFormsAreNotNumbers)
{
    TMDParser parser;
    parser.SetE(10);
    EXPECT_EQ(Evaluate(parser, "E-2"), 8); // the variable E minus 2
    EXPECT_EQ(CompileError(".").className, "ESyntaxError");
    EXPECT_EQ(CompileError("+").className, "ESyntaxError");
    EXPECT_EQ(CompileError("-.").className, "ESyntaxError");
    EXPECT_EQ(CompileError("E5").className, "ESyntaxError");
    EXPECT_EQ(CompileError("X*E5").className, "ESyntaxError");
    EXPECT_EQ(CompileError("1E").className, "ESyntaxError");
    EXPECT_EQ(CompileError("1E+").className, "ESyntaxError");
    EXPECT_EQ(CompileError("1.2.3").className, "ESyntaxError");
    EXPECT_EQ(CompileError("+PI").className, "ESyntaxError");
}

TEST(Literals, NumberFormatSwitch)
{
    TMDParser parser;
    EXPECT_TRUE(parser.PointNumberformat());
    parser.SetPointNumberformat(false);
    // In the C locale the separator is "." either way.
    EXPECT_EQ(Evaluate(parser, "2.5*2"), 5);
    EXPECT_EQ(Evaluate(parser, "MAX(1,2)"), 2);
}

TEST(Preparation, CaseBlanksAndBrackets)
{
    TMDParser parser;
    parser.SetX(3);
    EXPECT_EQ(Evaluate(parser, "  X"), 3);
    EXPECT_EQ(Evaluate(parser, "X  "), 3);
    EXPECT_EQ(Evaluate(parser, "x"), Evaluate(parser, "X"));
    EXPECT_EQ(CompileError("X + 1").className, "EExpressionHasBlanks");
    EXPECT_EQ(CompileError("X + 1").message, "Expression has blanks");
    EXPECT_EQ(CompileError("(X").className, "EMissMatchingBracket");
    EXPECT_EQ(CompileError("(X").message, "Missing brackets in expression");
    EXPECT_EQ(CompileError(")X(").message, SyntaxMessage(")X("));
    EXPECT_EQ(CompileError("()").message, SyntaxMessage("()"));
    // Only a blank (32) counts; the check for blanks comes before the bracket count.
    EXPECT_EQ(CompileError("(X +1").className, "EExpressionHasBlanks");
    EXPECT_EQ(CompileError("X\t+1").className, "ESyntaxError");
}

TEST(Messages, OnePartAndTwoPart)
{
    EXPECT_EQ(CompileError("FOO(X)").message, SyntaxMessage("FOO(X)"));
    EXPECT_EQ(CompileError("X*").message, SyntaxMessage("X*"));
    EXPECT_EQ(CompileError("X**Y").message, SyntaxMessage("X*", "Y"));
    EXPECT_EQ(CompileError("   ").message, SyntaxMessage(""));
    EXPECT_EQ(CompileError("MAX(1,2,3)").message, SyntaxMessage("1,2", "3"));
    EXPECT_EQ(CompileError("-").message, SyntaxMessage("", " "));
    // A word operator at the end leaves an empty right text.
    EXPECT_EQ(CompileError("XDIV").message, SyntaxMessage("X", ""));
    // The inside of a known function's brackets is written as the first text;
    // the second is still the one the product check wrote.
    EXPECT_EQ(CompileError("SIN(X*)").message, SyntaxMessage("X*", ")"));
    // A bracketed operand that passed is written without its brackets.
    EXPECT_EQ(CompileError("(X)*Y*").message, SyntaxMessage("X", "Y*"));
    // The message belongs to the term that failed, also deep inside the tree.
    EXPECT_EQ(CompileError("Q").message, SyntaxMessage("Q"));
    EXPECT_EQ(CompileError("1+Q").message, SyntaxMessage("1", "Q"));
}

TEST(Messages, ClassesDeriveFromTheBase)
{
    TMDParser parser;
    try {
        parser.CompileExpression("X**Y");
        FAIL() << "compiled";
    } catch (const EMathParserError& error) {
        EXPECT_STREQ(error.ClassName(), "ESyntaxError");
        EXPECT_STREQ(error.what(), "Error parsing expression:\rX*\rY");
        EXPECT_NE(dynamic_cast<const ESyntaxError*>(&error), nullptr);
    }
    EXPECT_FALSE(parser.IsCompiled());
    EXPECT_EQ(parser.Value(), 0);
}

std::string OnesJoinedBy(int operators, const std::string& op)
{
    std::string text = "1";
    for (int i = 0; i < operators; ++i)
        text += op + "1";
    return text;
}

TEST(Limits, Nesting)
{
    EXPECT_EQ(Evaluate(OnesJoinedBy(20, "+")), 21);
    EXPECT_EQ(CompileError(OnesJoinedBy(21, "+")).className, "ETooManyNestings");
    EXPECT_EQ(CompileError(OnesJoinedBy(21, "+")).message, "Expression contains too many nestings");
    // The same ones grouped in brackets of a few each.
    std::string grouped;
    for (int i = 0; i < 7; ++i)
        grouped += std::string(i ? "+" : "") + "(1+1+1)";
    EXPECT_EQ(Evaluate(grouped + "+1"), 22);
    // A left-grouping chain nests just as deeply.
    EXPECT_EQ(Evaluate(OnesJoinedBy(20, "-")), -19);
    EXPECT_EQ(CompileError(OnesJoinedBy(21, "-")).className, "ETooManyNestings");
    // Function calls count as levels too; brackets alone do not.
    std::string calls = "X";
    for (int i = 0; i < 20; ++i)
        calls = "SIN(" + calls + ")";
    EXPECT_NO_THROW(Evaluate(calls));
    EXPECT_EQ(CompileError("SIN(" + calls + ")").className, "ETooManyNestings");
    EXPECT_EQ(Evaluate(std::string(200, '(') + "1" + std::string(200, ')')), 1);
}

// A balanced tree of sums with the given number of leaves on its deepest level.
std::string Balanced(int depth)
{
    return depth == 0 ? "1" : "(" + Balanced(depth - 1) + "+" + Balanced(depth - 1) + ")";
}

TEST(Limits, Width)
{
    // 32 sums on one level fit, 64 do not.
    EXPECT_EQ(Evaluate(Balanced(6)), 64);
    EXPECT_EQ(CompileError(Balanced(7)).className, "EExpressionTooComplex");
    EXPECT_EQ(CompileError(Balanced(7)).message, "Expression is too complex");
    // 64 leaves on level 6, of which `calls` are calls with their records on level 7.
    auto leaves = [](int calls) {
        std::function<std::string(int)> build = [&](int depth) -> std::string {
            if (depth == 0) return calls-- > 0 ? "SIN(1)" : "1";
            const std::string left = build(depth - 1);
            return "(" + left + "+" + build(depth - 1) + ")";
        };
        return build(6);
    };
    EXPECT_NO_THROW(Evaluate(leaves(50)));
    EXPECT_EQ(CompileError(leaves(51)).className, "EExpressionTooComplex");
}

TEST(Limits, VeryDeepBracketsDoNotExhaustTheStack)
{
    const int depth = 50000;
    EXPECT_EQ(Evaluate(std::string(depth, '(') + "2" + std::string(depth, ')')), 2);
    EXPECT_EQ(CompileError(std::string(depth, '(') + "2*" + std::string(depth, ')')).className,
              "ESyntaxError");
}

TEST(Limits, ErrorsComeInDepthFirstOrder)
{
    // The too-deep first operand is met before the bad second operand would be.
    EXPECT_EQ(CompileError("(" + OnesJoinedBy(21, "+") + ")*(" + OnesJoinedBy(3, "+") + ")").className,
              "ETooManyNestings");
    // A term that fits no class fails the whole text at the root.
    EXPECT_EQ(CompileError("(" + OnesJoinedBy(21, "+") + ")*X*").className, "ESyntaxError");
}

TEST(Limits, LongTextsCompileInPolynomialTime)
{
    // Plain re-validation of every split would take hours on these.
    EXPECT_EQ(CompileError(OnesJoinedBy(400, "-")).className, "ETooManyNestings");
    EXPECT_EQ(CompileError(OnesJoinedBy(400, "-") + "*").className, "ESyntaxError");
    std::string mixed;
    for (int i = 0; i < 200; ++i)
        mixed += "1-2*3/4+5MOD";
    EXPECT_EQ(CompileError(mixed + "6").className, "ETooManyNestings");
}

} // namespace
