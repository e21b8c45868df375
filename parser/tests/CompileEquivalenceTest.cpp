// Remembering the answers of the term checks must not change any result or
// message: compare against plain re-validation on many random short texts.
// (Uses the compiler's internal header, which only this test does.)
#include "parser/ExpressionCompiler.h"
#include "parser/MDParser.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

using ondrix::parser::CompileFormula;
using ondrix::parser::CompileTables;

// Kinds and operand layout of a compiled list, or the error, as one text.
std::string Outcome(const std::string& text, const TMDParser& parser, bool memoise)
{
    CompileTables tables{parser.Variables(), parser.Functions1(), parser.Functions2(), true, memoise};
    try {
        const auto compiled = CompileFormula(text, tables);
        std::string shape;
        for (const TOperation* op = compiled->Head(); op; op = op->Next) {
            shape += std::to_string(op->Kind) + ":";
            // Operands are named by what they hold: a variable, or the value of a cell.
            for (const long double* arg : {op->Arg1, op->Arg2})
                shape += arg ? std::to_string(static_cast<double>(*arg)) + "," : "-,";
            shape += ";";
        }
        return shape;
    } catch (const EMathParserError& error) {
        return std::string(error.ClassName()) + "|" + error.Message();
    }
}

TEST(CompileEquivalence, MemoisedChecksMatchPlainRevalidation)
{
    TMDParser parser;
    parser.SetA(1.5L);
    parser.SetX(-2);
    parser.AddFunction("odd", [](TOperation& op) { *op.Dest = *op.Arg1; });
    static const char* const kPieces[] = {"X",  "A", "1",  "2.5",  "-",   "+",    "*",    "/",
                                          "^",  "(", ")",  "MOD",  "DIV", "SIN(", "MAX(", ",",
                                          "PI", "E", "-1", "ODD(", "2",   "1E"};
    std::mt19937 random(20261207);
    int compiled = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        const int pieces = 1 + static_cast<int>(random() % 9);
        for (int p = 0; p < pieces; ++p)
            text += kPieces[random() % (sizeof(kPieces) / sizeof(kPieces[0]))];
        const std::string memoised = Outcome(text, parser, true);
        ASSERT_EQ(memoised, Outcome(text, parser, false)) << text;
        compiled += memoised.find('|') == std::string::npos;
    }
    EXPECT_GT(compiled, 1000); // the sample must hold plenty of valid texts
}

} // namespace
