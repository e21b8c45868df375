// A compiled expression: its operation records in evaluation order and the
// cells it owns (one per number literal, one per operation result).
#pragma once

#include "parser/EvaluationProgram.h"
#include "parser/MDParser.h"
#ifdef ONDRIX_MACHINE_CODE
#include "parser/MachineCode.h"
#endif

#include <deque>
#include <memory>
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
#ifdef ONDRIX_MACHINE_CODE
    // Native code, made once the expression has been evaluated a few times
    // (a formula typed at a prompt is evaluated once: not worth the system
    // calls); null when not made yet or not possible.
    std::unique_ptr<ondrix::parser::TMachineCode> machineCode;
    unsigned evaluations = 0;
    static constexpr unsigned kEvaluationsBeforeMachineCode = 3;
#endif

    TOperation* Head() noexcept { return operations.empty() ? nullptr : &operations.front(); }
};
