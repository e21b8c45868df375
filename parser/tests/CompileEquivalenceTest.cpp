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

// Mostly well-formed texts: operands and operators in turn, calls and brackets,
// signs and exponents, now and then a character dropped or doubled.
class TextGenerator
{
  public:
    explicit TextGenerator(std::uint32_t seed) : random_(seed) {}

    std::string Next()
    {
        std::string text = Expression(2);
        if (Pick(3) == 0 && !text.empty()) {
            const std::size_t at = Pick(static_cast<int>(text.size()));
            if (Pick(2) == 0)
                text.erase(at, 1);
            else
                text.insert(at, 1, text[at]);
        }
        return text;
    }

  private:
    int Pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

    std::string Operand(int depth)
    {
        static const char* const kSimple[] = {"X",  "A",  "1",  "2.5", "PI",   "E",   "1E-2", "1E+2",
                                              "-1", "+1", ".5", "2.",  "MODE", "-PI", "0"};
        switch (depth > 0 ? Pick(8) : 0) {
        case 1:
            return "SIN(" + Expression(depth - 1) + ")";
        case 2:
            return "MAX(" + Expression(depth - 1) + "," + Expression(depth - 1) + ")";
        case 3:
            return "(" + Expression(depth - 1) + ")";
        case 4:
            return "-" + Operand(depth - 1);
        case 5:
            return "ODD(" + Operand(depth - 1) + ")";
        default:
            return kSimple[Pick(sizeof(kSimple) / sizeof(kSimple[0]))];
        }
    }

    std::string Expression(int depth)
    {
        static const char* const kOperators[] = {"+", "-", "*", "/", "^", "MOD", "DIV"};
        std::string text = Operand(depth);
        const int operators = Pick(4);
        for (int i = 0; i < operators; ++i)
            text += kOperators[Pick(7)] + Operand(depth);
        return text;
    }

    std::mt19937 random_;
};

TEST(CompileEquivalence, MemoisedChecksMatchPlainRevalidation)
{
    TMDParser parser;
    parser.SetA(1.5L);
    parser.SetX(-2);
    parser.AddFunction("odd", [](TOperation& op) { *op.Dest = *op.Arg1; });
    parser.DefineVariable("MODE", 4); // holds an operator word
    TextGenerator generator(20261207);
    int compiled = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string text = generator.Next();
        if (text.size() > 40) continue; // the plain re-validation is exponential
        const std::string memoised = Outcome(text, parser, true);
        ASSERT_EQ(memoised, Outcome(text, parser, false)) << text;
        compiled += memoised.find('|') == std::string::npos;
    }
    EXPECT_GT(compiled, 2000); // the sample must hold plenty of valid texts
}

} // namespace
