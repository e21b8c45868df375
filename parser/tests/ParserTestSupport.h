// Small helpers shared by the parser tests.
#pragma once

#include "parser/MDParser.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ondrix::parser::test {

// Compiles and evaluates; a math error or a compile failure fails the test.
inline long double Evaluate(TMDCustomParser& parser, const std::string& text)
{
    EXPECT_TRUE(parser.CompileExpression(text)) << text;
    const long double value = parser.Value();
    EXPECT_FALSE(parser.CalcError()) << text;
    return value;
}

inline long double Evaluate(const std::string& text)
{
    TMDParser parser;
    return Evaluate(parser, text);
}

// True when the text compiles and its evaluation ends on a math error.
inline bool GivesMathError(TMDCustomParser& parser, const std::string& text)
{
    EXPECT_TRUE(parser.CompileExpression(text)) << text;
    (void)parser.Value();
    return parser.CalcError();
}

inline bool GivesMathError(const std::string& text)
{
    TMDParser parser;
    return GivesMathError(parser, text);
}

// The kind codes of the compiled list, in evaluation order.
inline std::vector<int> Kinds(const TMDCustomParser& parser)
{
    std::vector<int> kinds;
    for (const TOperation* op = parser.Operations(); op; op = op->Next)
        kinds.push_back(op->Kind);
    return kinds;
}

struct CompileFailure
{
    std::string className;
    std::string message;
};

// The class name and message of the compile error, or empty texts when it compiled.
inline CompileFailure CompileError(TMDCustomParser& parser, const std::string& text)
{
    try {
        parser.CompileExpression(text);
    } catch (const EMathParserError& error) {
        return {error.ClassName(), error.Message()};
    }
    return {};
}

inline CompileFailure CompileError(const std::string& text)
{
    TMDParser parser;
    return CompileError(parser, text);
}

inline std::string SyntaxMessage(const std::string& one)
{
    return "Error parsing expression:\r" + one;
}
inline std::string SyntaxMessage(const std::string& left, const std::string& right)
{
    return "Error parsing expression:\r" + left + "\r" + right;
}

} // namespace ondrix::parser::test
