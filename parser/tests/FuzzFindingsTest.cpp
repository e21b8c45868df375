// Inputs the fuzzer found troublesome, kept so that they stay fixed.
#include "ParserTestSupport.h"

#include <string>

using namespace ondrix::parser::test;

namespace {

// A 700-character chain of sums, quotients and products with a stray comma:
// re-validating every split took seconds (cubic in the number of operators).
const std::string kLongMixedChain =
    "1+1+11+1+1+11+11+1+11+1+1+11+1+0+1+1+11+11+1+11+1+1+11+1+0+1+1+1+1+1+1/1+0+1+0+2+11/+0+1+1+2*11+"
    "1+1+1+,/1+0+2+1/1+1+1+2+1+1+1/1+1+1+1+1/1+0+1+0+2+11/1+1+11+1+1+11+1+0+1+1+2*11+1+11+2*11+1+1+1+"
    "2/1+0+2+1/1+1+1+2+1+1+1/1+1+1+1+1/1+0+1+0+2+11/+0+1+1+2*11+1+1+1+2/1+0+2+1/1+1+1+2+1+1+1/1+1+1+1"
    "+1/1+0+1+0+2+11/1+1+11+12*11+1+1+1+2/1+0+2+1/1+1+1+2+1+1+1/1+1+1+1+1/1+0+1+0+2+11/+0+1+1+2*11+1+"
    "1+1/1+1+1+1+1/1+0+1+0+2+11/1+1+11+12*11+1+1+1+2/1+0+2+1/1+1+1+2+1+1+1/1+1+1+1+1/1+0+1+0+2+11/+0+"
    "1+1+2*11+11+1+1+1+1+1+2/1+0+2+1/1+1+1+2+1+1+1/1+1+1+1+1/1+0+1+0+2+11/1+1+11+1+1+11+1+0+1+1+"
    "2*11+1+1+1+2/1+0+2++1+1+1+2/1+0+2+1/1+1+1+2+1+1+1/1+1+1+1+1/1+0+1+0+2+11/1+1+11+1+1+1A+1+0+1+1+2"
    "*11+1+1+1+2/1+0+2++1+1+1";

TEST(FuzzFindings, LongOperatorChainsCompileQuickly)
{
    EXPECT_EQ(CompileError(kLongMixedChain).className, "ESyntaxError");
    std::string grouped;
    for (int i = 0; i < 340; ++i)
        grouped += std::string(i ? "/" : "") + "(1+1)";
    EXPECT_EQ(CompileError(grouped).className, "ETooManyNestings");
    std::string repeated;
    while (repeated.size() < 2000)
        repeated += kLongMixedChain;
    EXPECT_EQ(CompileError(repeated).className, "ESyntaxError");
}

} // namespace
