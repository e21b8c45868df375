// ondrix-calc: output line and exit code for each outcome.
#include "testsupport/ProcessRunner.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

ondrix::testsupport::ProcessResult RunCalc(const std::vector<std::string>& arguments)
{
    return ondrix::testsupport::RunProcess(ONDRIX_CALC_BIN, arguments);
}

TEST(CalcTool, Value)
{
    const auto result = RunCalc({"X*2+AUDIOFREQ", "X=1.5", "audiofreq=440"});
    EXPECT_EQ(result.out, "443\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(RunCalc({"PI"}).out, "3.14159265358979323851\n");
    EXPECT_EQ(RunCalc({"1/3"}).out, "0.333333333333333333342\n");
}

TEST(CalcTool, MathError)
{
    const auto result = RunCalc({"1/X", "X=0"});
    EXPECT_EQ(result.out, "math error\n");
    EXPECT_EQ(result.exitCode, 1);
}

TEST(CalcTool, CompileErrors)
{
    auto result = RunCalc({"X**Y"});
    EXPECT_EQ(result.out, "ESyntaxError: Error parsing expression:\\rX*\\rY\n");
    EXPECT_EQ(result.exitCode, 2);
    result = RunCalc({"X + 1"});
    EXPECT_EQ(result.out, "EExpressionHasBlanks: Expression has blanks\n");
    EXPECT_EQ(result.exitCode, 2);
    result = RunCalc({""});
    EXPECT_EQ(result.out, "nothing to evaluate\n");
    EXPECT_EQ(result.exitCode, 2);
    result = RunCalc({"X", "2X=1"});
    EXPECT_EQ(result.out, "EBadName: 2X\n");
    EXPECT_EQ(result.exitCode, 2);
}

TEST(CalcTool, Fault)
{
    const auto result = RunCalc({"EXP(X)", "X=20000"});
    EXPECT_EQ(result.out, "EMathFault: Floating-point overflow\n");
    EXPECT_EQ(result.exitCode, 3);
}

} // namespace
