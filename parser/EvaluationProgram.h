// The compiled list recast for the evaluation walk: one small instruction per
// operation record, in the same order, with the common operators decoded,
// operands taken from the previous result or from exact double constants where
// possible, and only the result cells written that something reads.
#pragma once

#include "parser/MDParser.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace ondrix::parser {

struct TInstruction
{
    std::uint8_t code = 0;
    // Whether the result goes to its cell: needed when a later instruction
    // reads it from there, or when it is the value a domain error of the
    // record before returns.
    bool store = true;
    double constant = 0;
    const long double* arg1 = nullptr;
    const long double* arg2 = nullptr;
    long double* dest = nullptr;
    TOperation* operation = nullptr;
};

// True (with the double) when a double holds the value exactly, signed zero included.
bool ExactDouble(long double value, double& result) noexcept;

// Works out an operation of the given kind on known operands when that takes
// the very operations the walk would do and can neither fail nor fault (the
// walk would find the same finite result on every evaluation): the four
// arithmetic operators (IsFoldableBinary), negation and the small powers.
bool FoldOperation(std::uint8_t kind, long double x, long double y, long double& result) noexcept;
bool IsFoldableBinary(std::uint8_t kind) noexcept;

// Added routines keep to their contract: they read their operands and write
// their result cell (or set MathError), in list order like every record.
// `cells` are the list's own cells (literals and results); results worked
// out in advance that a double cannot hold get cells of their own there.
std::vector<TInstruction> BuildProgram(std::vector<TOperation>& operations, std::deque<long double>& cells);

// Runs a program built from a non-empty list. Sets calcError on a domain
// error and returns what the plain walk returns; faults raise EMathFault.
long double RunProgram(const std::vector<TInstruction>& program, bool& calcError);

// The plain walk over the records from `head`, with the same contract.
long double RunRecords(TOperation* head, bool& calcError);

} // namespace ondrix::parser
