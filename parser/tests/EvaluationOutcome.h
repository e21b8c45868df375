// Outcomes of an evaluation compared to the last bit, and random texts with
// operators of every kind, literals that a double holds and some it does not,
// calls that fail and calls that do not.
#pragma once

#include "parser/MDParser.h"

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

namespace ondrix::parser::test {

struct Outcome
{
    long double value = 0;
    bool calcError = false;
    std::string fault;

    bool operator==(const Outcome& other) const
    {
        // Bitwise, so that NaNs and signed zeros count too.
        return std::memcmp(&value, &other.value, 10) == 0 && calcError == other.calcError &&
               fault == other.fault;
    }
};

template <typename Run> Outcome EvaluateOutcome(Run run)
{
    Outcome outcome;
    try {
        outcome.value = run(outcome.calcError);
    } catch (const EMathFault& fault) {
        outcome.fault = fault.what();
    }
    return outcome;
}

inline std::string Show(const Outcome& outcome)
{
    char text[80];
    std::snprintf(text, sizeof text, "%.21Lg", outcome.value);
    return std::string(text) + (outcome.calcError ? " error" : "") + " " + outcome.fault;
}

// The added routines HALF, HUGE and POSITIVE appear only when asked for.
inline std::string RandomText(std::mt19937& random, int depth, bool addedRoutines)
{
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    if (depth == 0 || pick(4) == 0) {
        static const char* const kLeaves[] = {"X", "B", "0", "2", "0.75", "0.1", "1E4000", "3", "Y"};
        return kLeaves[pick(9)];
    }
    static const char* const kOperators[] = {"+", "-", "*", "/", "MOD", "DIV", "^2", "^3", "^4", "^-1"};
    const int op = pick(14);
    if (op < 6)
        return "(" + RandomText(random, depth - 1, addedRoutines) + kOperators[op] +
               RandomText(random, depth - 1, addedRoutines) + ")";
    if (op < 10) return "(" + RandomText(random, depth - 1, addedRoutines) + ")" + kOperators[op];
    if (op == 10) return "-(" + RandomText(random, depth - 1, addedRoutines) + ")";
    static const char* const kCalls[] = {"SQRT", "LN",   "SIN",  "COS",     "EXP",
                                         "ABS",  "HALF", "HUGE", "POSITIVE"};
    if (op < 13)
        return std::string(kCalls[pick(addedRoutines ? 9 : 6)]) + "(" +
               RandomText(random, depth - 1, addedRoutines) + ")";
    return "MAX(" + RandomText(random, depth - 1, addedRoutines) + "," +
           RandomText(random, depth - 1, addedRoutines) + ")";
}

} // namespace ondrix::parser::test
