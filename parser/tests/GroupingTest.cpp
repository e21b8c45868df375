// Grouping and precedence, negation and powers.
#include "ParserTestSupport.h"

#include <cmath>

using namespace ondrix::parser::test;

namespace {

class Grouping : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        parser.SetA(100);
        parser.SetB(7);
        parser.SetC(3);
        parser.SetX(-3);
        parser.SetY(2);
    }
    TMDParser parser;
};

TEST_F(Grouping, DifferenceAndQuotientGroupFromTheLeft)
{
    EXPECT_EQ(Evaluate(parser, "A-B-C"), 90); // (A-B)-C
    EXPECT_EQ(Evaluate(parser, "A/B/C"), 100.0L / 7 / 3);
    EXPECT_EQ(Evaluate(parser, "A-B+C"), 96); // A-B is the left operand of +
    EXPECT_EQ(Evaluate(parser, "1-2-3-4"), -8);
}

TEST_F(Grouping, SumAndProductGroupFromTheRight)
{
    ASSERT_TRUE(parser.CompileExpression("A+B+C"));
    // The inner sum B+C comes first in the list, one level deeper.
    EXPECT_EQ(Kinds(parser), (std::vector<int>{okSum, okSum}));
    EXPECT_EQ(parser.Value(), 110);
    EXPECT_EQ(Evaluate(parser, "A*B*C"), 2100);
}

TEST_F(Grouping, ProductBindsMoreLooselyThanDivisionAndRemainder)
{
    EXPECT_EQ(Evaluate(parser, "A*BMODC"), 100);          // A*(B MOD C) = 100*1
    EXPECT_EQ(Evaluate(parser, "A/B*C"), 100.0L / 7 * 3); // (A/B)*C
    EXPECT_EQ(Evaluate(parser, "ADIVBMODC"), 2);          // (A DIV B) MOD C = 14 MOD 3
    EXPECT_EQ(Evaluate(parser, "ADIVB/C"), 14.0L / 3);    // (A DIV B)/C
    EXPECT_EQ(Evaluate(parser, "2+3*4"), 14);
    EXPECT_EQ(Evaluate(parser, "2*3+4"), 10);
}

TEST_F(Grouping, BracketsOverrideAndAreDropped)
{
    EXPECT_EQ(Evaluate(parser, "(A-B)*C"), 279);
    EXPECT_EQ(Evaluate(parser, "((((A))))"), 100);
    EXPECT_EQ(Evaluate(parser, "A-(B-C)"), 96);
    ASSERT_TRUE(parser.CompileExpression("((A+B))*C"));
    EXPECT_EQ(Kinds(parser), (std::vector<int>{okSum, okProduct}));
}

TEST_F(Grouping, WorkedExampleListOrder)
{
    parser.AddFunction("timer", [](TOperation& op) { *op.Dest = *op.Arg1 == 0 ? 1 : 0; });
    ASSERT_TRUE(parser.CompileExpression("timer(0)*(rnd(b)-(b/2))"));
    // RND(B), B/2, TIMER(0), the difference, the product.
    EXPECT_EQ(Kinds(parser),
              (std::vector<int>{okFunction1, okQuotient, okFunction1, okDifference, okProduct}));
    const TOperation* first = parser.Operations();
    const TOperation* second = first->Next;
    EXPECT_EQ(*first->Arg1, 7);  // the cell of B
    EXPECT_EQ(*second->Arg2, 2); // a constant cell
    EXPECT_EQ(second->Arg1, first->Arg1);
}

TEST_F(Grouping, NegationRules)
{
    EXPECT_EQ(Evaluate(parser, "-X*2"), 6);  // (-X)*2
    EXPECT_EQ(Evaluate(parser, "-X^2"), -9); // -(X*X)
    EXPECT_EQ(Evaluate(parser, "(-X)-1"), 2);
    EXPECT_EQ(Evaluate(parser, "2*-3"), -6); // "-3" is a number
    EXPECT_EQ(Evaluate(parser, "2*(-X)"), 6);
    EXPECT_EQ(Evaluate(parser, "-(Y+1)"), -3);
    EXPECT_EQ(Evaluate(parser, "-SIN(0)"), 0);
    EXPECT_EQ(Evaluate(parser, "-MAX(1,2)"), -2);
    EXPECT_EQ(Evaluate(parser, "A--X*2"), 94); // A - ((-X)*2)

    EXPECT_EQ(CompileError("-X-1").message, SyntaxMessage("X-1", " "));
    EXPECT_EQ(CompileError("2*-X").className, "ESyntaxError");
    EXPECT_EQ(CompileError("1+-X").className, "ESyntaxError");
    EXPECT_EQ(CompileError("--X").className, "ESyntaxError");
}

TEST_F(Grouping, PowerKinds)
{
    const struct
    {
        const char* text;
        std::vector<int> kinds;
    } cases[] = {
        {"X^2", {okSquare}},
        {"X^3", {okCube}},
        {"X^4", {okFourthPower}},
        {"X^5", {okIntPower}},
        {"X^-1", {okIntPower}},
        {"X^0", {okIntPower}},
        {"X^2.0", {okSquare}},
        {"X^2.5", {okPower}},
        {"X^(2)", {okPower}},
        {"X^Y", {okPower}},
        {"X^1E10", {okPower}},
        {"X^SQR(2)", {okFunction1, okPower}},
        {"X^-2147483648", {okIntPower}},
        {"X^2147483648", {okPower}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(parser.CompileExpression(c.text)) << c.text;
        EXPECT_EQ(Kinds(parser), c.kinds) << c.text;
    }
}

TEST_F(Grouping, PowerValues)
{
    parser.SetX(-3);
    EXPECT_EQ(Evaluate(parser, "X^2"), 9);
    EXPECT_EQ(Evaluate(parser, "X^3"), -27);
    EXPECT_EQ(Evaluate(parser, "X^4"), 81);
    EXPECT_EQ(Evaluate(parser, "X^5"), -243);
    EXPECT_TRUE(GivesMathError(parser, "X^(2)")); // a real power needs a positive base
    EXPECT_TRUE(GivesMathError(parser, "X^Y"));
    parser.SetX(4);
    EXPECT_EQ(Evaluate(parser, "X^0.5"), 2);
    EXPECT_EQ(Evaluate(parser, "X^-1"), 0.25L);
    EXPECT_EQ(Evaluate(parser, "2^-2"), 0.25L);
    EXPECT_EQ(Evaluate(parser, "2^(-X)"), 0.0625L);
    EXPECT_EQ(Evaluate(parser, "2^(X^2)"), 65536);
    EXPECT_EQ(Evaluate(parser, "X^0"), 1);
    EXPECT_EQ(CompileError("2^-X").className, "ESyntaxError");
    EXPECT_EQ(CompileError("2^X^2").message, SyntaxMessage("2^X", "2"));
}

TEST_F(Grouping, IntegerPowersDoNotLoopPerUnit)
{
    parser.SetX(1);
    EXPECT_EQ(Evaluate(parser, "X^2000000000"), 1);
    parser.SetX(-1);
    EXPECT_EQ(Evaluate(parser, "X^2000000001"), -1);
    EXPECT_EQ(Evaluate(parser, "INTPOWER(X,9E18)"), 1);
    parser.SetX(0.5L);
    EXPECT_EQ(Evaluate(parser, "X^2000000000"), 0);
    EXPECT_EQ(Evaluate(parser, "X^-10"), 1024);
    EXPECT_EQ(Evaluate(parser, "INTPOWER(-2,3)"), -8);
    EXPECT_EQ(Evaluate(parser, "INTPOWER(2,-3.9)"), 0.125L); // the exponent is truncated
    // 2^-16400 lies below the normal range but is representable; 2^16400 is not.
    EXPECT_EQ(Evaluate(parser, "2^-16400"), std::ldexp(1.0L, -16400));
    // Large exponents keep full precision (squaring alone drifts by 2e-8 here).
    EXPECT_NEAR(Evaluate(parser, "INTPOWER(1.0000000001,1E12)") / std::pow(1.0000000001L, 1E12L), 1, 1E-15);
    EXPECT_NEAR(Evaluate(parser, "1.0000001^-1000000000") / std::pow(1.0000001L, -1E9L), 1, 1E-15);
    EXPECT_NEAR(Evaluate(parser, "0.9999999^1000000001") / std::pow(0.9999999L, 1000000001.0L), 1, 1E-15);
}

TEST_F(Grouping, RemainderAndIntegerQuotientTruncate)
{
    EXPECT_EQ(Evaluate(parser, "-7MOD3"), -1);
    EXPECT_EQ(Evaluate(parser, "-7DIV2"), -3);
    EXPECT_EQ(Evaluate(parser, "7.9MOD3"), 1);
    EXPECT_EQ(Evaluate(parser, "7MOD-3"), 1);
    EXPECT_EQ(Evaluate(parser, "7.9DIV-2.9"), -3);
    EXPECT_TRUE(GivesMathError(parser, "7MOD0.5"));
    EXPECT_TRUE(GivesMathError(parser, "7DIV0.5"));
    EXPECT_EQ(Evaluate(parser, "XMOD4"), -3);
    // DIV and MOD are found inside longer names too.
    parser.DefineVariable("DIVISOR", 4);
    EXPECT_EQ(Evaluate(parser, "DIVISOR"), 4);
    EXPECT_EQ(Evaluate(parser, "ADIVDIVISOR"), 25);
}

} // namespace
