// A compiled expression: its operation records in evaluation order and the
// cells it owns (one per number literal, one per operation result).
#pragma once

#include "parser/EvaluationProgram.h"
#include "parser/MDParser.h"

#include <deque>
#include <vector>

class TCompiledExpression
{
  public:
    // Records stored contiguously in list order; Next links them.
    std::vector<TOperation> operations;
    // A deque never moves its elements, so the records' cell pointers stay valid.
    std::deque<long double> cells;
    // The records recast for the evaluation walk; empty when the list keeps
    // the plain walk over the records.
    std::vector<ondrix::parser::TInstruction> program;

    TOperation* Head() noexcept { return operations.empty() ? nullptr : &operations.front(); }
};
