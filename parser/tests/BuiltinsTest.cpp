// The thirty built-in functions, their domains and the floating-point faults.
#include "ParserTestSupport.h"

#include <cmath>
#include <limits>
#include <numbers>

using namespace ondrix::parser::test;

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

TEST(Builtins, Trigonometry)
{
    EXPECT_EQ(Evaluate("SIN(0)"), 0);
    EXPECT_EQ(Evaluate("COS(0)"), 1);
    EXPECT_NEAR(Evaluate("SIN(PI/6)"), 0.5L, 1e-18L);
    EXPECT_NEAR(Evaluate("COS(PI/3)"), 0.5L, 1e-18L);
    EXPECT_NEAR(Evaluate("TAN(PI/4)"), 1, 1e-18L);
    EXPECT_NEAR(Evaluate("COTAN(PI/4)"), 1, 1e-18L);
    EXPECT_NEAR(Evaluate("ARCTAN(1)"), kPi / 4, 1e-18L);
    EXPECT_NEAR(Evaluate("SIN(100000.5)"), std::sin(100000.5L), 1e-17L);
    EXPECT_EQ(Evaluate("SIN(1E30)"), std::sin(1e30L)); // large arguments reduce exactly
    EXPECT_TRUE(GivesMathError("COTAN(0)"));
    // Near the zeros of sine the result keeps its relative precision.
    const long double sinPi = Evaluate("SIN(PI)");
    EXPECT_NEAR(sinPi / std::sin(0xc.90fdaa22168c235p-2L), 1, 1e-15L);
}

TEST(Builtins, HyperbolicExponentialAndLogarithms)
{
    // Known values to 21 digits; the tolerances allow a unit or two in the last place.
    EXPECT_NEAR(Evaluate("SINH(1)"), 1.17520119364380145688L, 3e-19L);
    EXPECT_NEAR(Evaluate("COSH(1)"), 1.54308063481524377848L, 3e-19L);
    // Near 0 the difference of e^x and e^-x would cancel to nothing.
    EXPECT_NEAR(Evaluate("SINH(1E-19)") / 1e-19L, 1, 1e-18L);
    EXPECT_NEAR(Evaluate("SINH(0-1E-10)") / -1e-10L, 1, 1e-18L);
    EXPECT_NEAR(Evaluate("EXP(1)"), 2.71828182845904523536L, 5e-19L);
    EXPECT_NEAR(Evaluate("EXP(0-1)"), 0.367879441171442321596L, 1e-19L);
    EXPECT_NEAR(Evaluate("EXP(10)"), 22026.4657948067165170L, 5e-15L);
    EXPECT_EQ(Evaluate("EXP(0)"), 1);
    EXPECT_NEAR(Evaluate("LN(2)"), 0.693147180559945309417L, 1e-19L);
    EXPECT_NEAR(Evaluate("LN(10)"), 2.30258509299404568402L, 5e-19L);
    EXPECT_NEAR(Evaluate("LN(EXP(2))"), 2, 5e-19L);
    EXPECT_EQ(Evaluate("LN(1)"), 0);
    EXPECT_NEAR(Evaluate("LOG10(1000)"), 3, 1e-18L);
    EXPECT_EQ(Evaluate("LOG2(1024)"), 10);
    EXPECT_NEAR(Evaluate("LOGN(2,8)"), 3, 1e-18L);
    EXPECT_TRUE(GivesMathError("LN(0)"));
    EXPECT_TRUE(GivesMathError("LN(-1)"));
    EXPECT_TRUE(GivesMathError("LOG10(0)"));
    EXPECT_TRUE(GivesMathError("LOG2(-2)"));
    EXPECT_TRUE(GivesMathError("LOGN(2,-1)"));
    EXPECT_TRUE(GivesMathError("LOGN(0,2)"));
}

TEST(Builtins, PowersAndRoots)
{
    EXPECT_EQ(Evaluate("SQR(-3)"), 9);
    EXPECT_EQ(Evaluate("SQRT(16)"), 4);
    EXPECT_TRUE(GivesMathError("SQRT(-1)"));
    EXPECT_EQ(Evaluate("POWER(4,0.5)"), 2);
    EXPECT_TRUE(GivesMathError("POWER(-8,1/3)"));
    EXPECT_TRUE(GivesMathError("POWER(0,2)"));
    EXPECT_EQ(Evaluate("INTPOWER(-2,3)"), -8);
}

TEST(Builtins, Rounding)
{
    EXPECT_EQ(Evaluate("CEIL(-2.5)"), -2);
    EXPECT_EQ(Evaluate("CEIL(2.5)"), 3);
    EXPECT_EQ(Evaluate("CEIL(2)"), 2);
    EXPECT_EQ(Evaluate("FLOOR(-2.5)"), -3);
    EXPECT_EQ(Evaluate("FLOOR(2.5)"), 2);
    EXPECT_EQ(Evaluate("TRUNC(-2.5)"), -2);
    EXPECT_EQ(Evaluate("INT(-2.5)"), -2);
    EXPECT_EQ(Evaluate("ABS(-2.5)"), 2.5L);
    EXPECT_EQ(Evaluate("TRUNC(1E30)"), 1e30L); // no 64-bit limit here
}

TEST(Builtins, StepsAndSigns)
{
    EXPECT_EQ(Evaluate("HEAV(0)"), 1);
    EXPECT_EQ(Evaluate("HEAV(-0.1)"), 0);
    EXPECT_EQ(Evaluate("SIGN(0)"), 0);
    EXPECT_EQ(Evaluate("SIGN(-5)"), -1);
    EXPECT_EQ(Evaluate("SIGN(5)"), 1);
    EXPECT_EQ(Evaluate("ZERO(0)"), 0);
    EXPECT_EQ(Evaluate("ZERO(5)"), 1);
    EXPECT_EQ(Evaluate("ZERO(-0.001)"), 1);
}

TEST(Builtins, TwoArguments)
{
    EXPECT_EQ(Evaluate("MAX(2,2)"), 2);
    EXPECT_EQ(Evaluate("MIN(2,2)"), 2);
    EXPECT_EQ(Evaluate("MAX(-1,3)"), 3);
    EXPECT_EQ(Evaluate("MIN(-1,3)"), -1);
    EXPECT_EQ(Evaluate("ARG(0,0)"), -kPi / 2);
    EXPECT_EQ(Evaluate("ARG(-1,0)"), kPi);
    EXPECT_EQ(Evaluate("ARG(0,1)"), kPi / 2);
    EXPECT_NEAR(Evaluate("ARG(1,1)"), kPi / 4, 1e-18L);
    EXPECT_NEAR(Evaluate("ARG(-1,-1)"), 5 * kPi / 4, 1e-18L); // ranges over [-pi/2, 3pi/2)
    EXPECT_EQ(Evaluate("MAX(1,(2))"), 2);
    EXPECT_EQ(Evaluate("MAX((1+2),-(3))"), 3);
    EXPECT_EQ(CompileError("MAX(1,2,3)").className, "ESyntaxError");
    EXPECT_EQ(CompileError("MAX(1)").className, "ESyntaxError");
    EXPECT_EQ(CompileError("MAX(,1)").className, "ESyntaxError");
    EXPECT_EQ(CompileError("SIN(1,2)").className, "ESyntaxError");
}

TEST(Builtins, PhaseKeepsItsHistoricDivision)
{
    // u = x / (2/pi); (u - round(u)) * 2pi, ties to even.
    const long double u = 1 / 0.63661977236758134308L;
    EXPECT_NEAR(Evaluate("PH(1)"), (u - std::nearbyint(u)) * 2 * kPi, 1e-17L);
    EXPECT_EQ(Evaluate("PH(0)"), 0);
    const long double r = Evaluate("PH(123.456)");
    EXPECT_GE(r, -kPi);
    EXPECT_LE(r, kPi);
}

TEST(Builtins, RandomNumbers)
{
    SeedRandom(42);
    EXPECT_EQ(Evaluate("RND(0.9)"), 0);
    for (int i = 0; i < 100; ++i) {
        const long double r = Evaluate("RANDOM(7)");
        EXPECT_GE(r, 0);
        EXPECT_LT(r, 1);
        const long double n = Evaluate("RND(10.7)");
        EXPECT_GE(n, 0);
        EXPECT_LT(n, 10);
    }
    // The generator is shared and deterministic once seeded.
    SeedRandom(7);
    const long double first = Evaluate("RANDOM(0)");
    SeedRandom(7);
    EXPECT_EQ(Evaluate("RANDOM(0)"), first);
    SeedRandom(7);
    EXPECT_EQ(RandomFraction(), first);
    EXPECT_EQ(RandomBelow(0), 0);
    EXPECT_EQ(RandomBelow(-3), 0);
    for (int i = 0; i < 100; ++i) {
        const auto n = RandomBelow(3);
        EXPECT_GE(n, 0);
        EXPECT_LT(n, 3);
    }
}

TEST(Builtins, DomainErrorsAreNotExceptions)
{
    TMDParser parser;
    ASSERT_TRUE(parser.CompileExpression("1/0"));
    EXPECT_NO_THROW(parser.Value());
    EXPECT_TRUE(parser.CalcError());
    // The walk stops at the failing record: the next record's cell still holds 0.
    ASSERT_TRUE(parser.CompileExpression("(1/0)+5"));
    EXPECT_EQ(parser.Value(), 0);
    EXPECT_TRUE(parser.CalcError());
    // The flag is cleared by the next evaluation that succeeds.
    ASSERT_TRUE(parser.CompileExpression("1/X"));
    parser.SetX(2);
    EXPECT_EQ(parser.Value(), 0.5L);
    EXPECT_FALSE(parser.CalcError());
    parser.SetX(0);
    parser.Value();
    EXPECT_TRUE(parser.CalcError());
}

EMathFault::Kind FaultOf(const std::string& text, long double x = 0)
{
    TMDParser parser;
    parser.SetX(x);
    EXPECT_TRUE(parser.CompileExpression(text)) << text;
    try {
        parser.Value();
    } catch (const EMathFault& fault) {
        return fault.FaultKind();
    }
    ADD_FAILURE() << text << " raised no fault";
    return EMathFault::Kind::InvalidOperation;
}

TEST(Faults, RaisedForWhatNoDomainCheckCatches)
{
    using Kind = EMathFault::Kind;
    EXPECT_EQ(FaultOf("10^5000"), Kind::Overflow);
    EXPECT_EQ(FaultOf("EXP(20000)"), Kind::Overflow);
    EXPECT_EQ(FaultOf("X*X", 1e4000L), Kind::Overflow);
    EXPECT_EQ(FaultOf("X^2", 1e3000L), Kind::Overflow);
    EXPECT_EQ(FaultOf("1E4000/1E-4000"), Kind::Overflow);
    EXPECT_EQ(FaultOf("0^-1"), Kind::ZeroDivide);
    EXPECT_EQ(FaultOf("INTPOWER(0,-2)"), Kind::ZeroDivide);
    EXPECT_EQ(FaultOf("LOGN(1,2)"), Kind::ZeroDivide);
    EXPECT_EQ(FaultOf("LOGN(1,1)"), Kind::InvalidOperation);
    EXPECT_EQ(FaultOf("SINH(20000)-COSH(20000)"), Kind::Overflow);
    // Truncations to 64 bits that do not fit.
    EXPECT_EQ(FaultOf("1E19MOD3"), Kind::InvalidOperation);
    EXPECT_EQ(FaultOf("3DIV1E19"), Kind::InvalidOperation);
    EXPECT_EQ(FaultOf("INTPOWER(1,1E19)"), Kind::InvalidOperation);
    EXPECT_EQ(FaultOf("(-9223372036854775808)DIV(-1)"), Kind::Overflow);
    EXPECT_EQ(Evaluate("(-9223372036854775808)MOD(-1)"), 0);
    EXPECT_EQ(Evaluate("(-9223372036854775808)DIV1"), -9223372036854775808.0L);
}

TEST(Faults, InfinitiesOperandsAndNaNs)
{
    TMDParser parser;
    const long double inf = std::numeric_limits<long double>::infinity();
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    // Quiet NaN inputs propagate without a fault.
    parser.SetX(nan);
    for (const char* text : {"X+1", "X*2", "SIN(X)", "XMOD3", "3DIVX", "X^5", "LN(X)", "SQRT(X)", "EXP(X)"}) {
        ASSERT_TRUE(parser.CompileExpression(text));
        EXPECT_TRUE(std::isnan(parser.Value())) << text;
        EXPECT_FALSE(parser.CalcError()) << text;
    }
    // An infinite operand carries through exact operations...
    parser.SetX(inf);
    ASSERT_TRUE(parser.CompileExpression("X+1"));
    EXPECT_EQ(parser.Value(), inf);
    // ...but an invalid operation on it is a fault.
    EXPECT_EQ(FaultOf("X-X", inf), EMathFault::Kind::InvalidOperation);
    EXPECT_EQ(FaultOf("X*0", inf), EMathFault::Kind::InvalidOperation);
    EXPECT_EQ(FaultOf("SIN(X)", inf), EMathFault::Kind::InvalidOperation);
}

TEST(Faults, ListStaysUsable)
{
    TMDParser parser;
    ASSERT_TRUE(parser.CompileExpression("EXP(X)"));
    parser.SetX(20000);
    EXPECT_THROW(parser.Value(), EMathFault);
    parser.SetX(0);
    EXPECT_EQ(parser.Value(), 1);
    EXPECT_FALSE(parser.CalcError());
}

} // namespace
