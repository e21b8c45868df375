// Compiles a formula into a TCompiledExpression (operation records in
// evaluation order) against the parser's variable and function tables.
#pragma once

#include "parser/CompiledExpression.h"
#include "parser/MDParser.h"

#include <memory>
#include <string>

namespace ondrix::parser {

struct CompileTables
{
    const TMDCustomParser::VariableTable& variables;
    const TMDCustomParser::FunctionTable& functions1;
    const TMDCustomParser::FunctionTable& functions2;
    bool pointNumberformat = true;
    // Off only to compare with the plain, exponential re-validation.
    bool memoise = true;
};

// Raises the EMathParserError family; nothing built survives a failure.
std::unique_ptr<TCompiledExpression> CompileFormula(const std::string& text, const CompileTables& tables);

} // namespace ondrix::parser
