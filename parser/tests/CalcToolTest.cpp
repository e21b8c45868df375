// ondrix-calc: output line and exit code for each outcome.
#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace {

struct CalcResult
{
    std::string output;
    int exitCode = -1;
};

std::string Quoted(const std::string& argument)
{
    std::string quoted = "'";
    for (char c : argument)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

CalcResult RunCalc(const std::vector<std::string>& arguments)
{
    std::string command = ONDRIX_CALC_BIN;
    for (const auto& argument : arguments)
        command += " " + Quoted(argument);
    CalcResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe))
        result.output += buffer.data();
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(CalcTool, Value)
{
    const auto result = RunCalc({"X*2+AUDIOFREQ", "X=1.5", "audiofreq=440"});
    EXPECT_EQ(result.output, "443\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(RunCalc({"PI"}).output, "3.14159265358979323851\n");
    EXPECT_EQ(RunCalc({"1/3"}).output, "0.333333333333333333342\n");
}

TEST(CalcTool, MathError)
{
    const auto result = RunCalc({"1/X", "X=0"});
    EXPECT_EQ(result.output, "math error\n");
    EXPECT_EQ(result.exitCode, 1);
}

TEST(CalcTool, CompileErrors)
{
    auto result = RunCalc({"X**Y"});
    EXPECT_EQ(result.output, "ESyntaxError: Error parsing expression:\\rX*\\rY\n");
    EXPECT_EQ(result.exitCode, 2);
    result = RunCalc({"X + 1"});
    EXPECT_EQ(result.output, "EExpressionHasBlanks: Expression has blanks\n");
    EXPECT_EQ(result.exitCode, 2);
    result = RunCalc({""});
    EXPECT_EQ(result.output, "nothing to evaluate\n");
    EXPECT_EQ(result.exitCode, 2);
    result = RunCalc({"X", "2X=1"});
    EXPECT_EQ(result.output, "EBadName: 2X\n");
    EXPECT_EQ(result.exitCode, 2);
}

TEST(CalcTool, Fault)
{
    const auto result = RunCalc({"EXP(X)", "X=20000"});
    EXPECT_EQ(result.output, "EMathFault: Floating-point overflow\n");
    EXPECT_EQ(result.exitCode, 3);
}

} // namespace
