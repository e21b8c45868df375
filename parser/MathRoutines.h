// The operator routines and the built-in functions of TMDParser, with the
// floating-point fault checks they share.
#pragma once

#include "parser/MDParser.h"

#include <cmath>
#include <cstdint>
#include <span>

namespace ondrix::parser {

[[noreturn]] void RaiseFault(EMathFault::Kind kind);
// Called when a result is not finite: faults unless a non-finite input explains it.
void CheckNonFinite(long double result, long double x, long double y);

// Raises the matching fault when a result computed from x (and y) is not finite
// although the inputs did not carry the infinity or NaN in.
inline void CheckResult(long double result, long double x, long double y = 0)
{
    // r - r is NaN exactly when r is infinite or NaN; unlike isfinite it needs
    // no 80-bit constant from memory, which is the costly part on x87.
    const long double difference = result - result;
    if (difference != difference) [[unlikely]]
        CheckNonFinite(result, x, y);
}

inline long double& X(TOperation& op)
{
    return *op.Arg1;
}
inline long double& Y(TOperation& op)
{
    return *op.Arg2;
}

// The operator routines small enough to be inlined into the evaluation walk.
inline void Negate(TOperation& op)
{
    *op.Dest = -X(op);
}

inline void Add(TOperation& op)
{
    const long double x = X(op), y = Y(op), r = x + y;
    CheckResult(r, x, y);
    *op.Dest = r;
}

inline void Subtract(TOperation& op)
{
    const long double x = X(op), y = Y(op), r = x - y;
    CheckResult(r, x, y);
    *op.Dest = r;
}

inline void Multiply(TOperation& op)
{
    const long double x = X(op), y = Y(op), r = x * y;
    CheckResult(r, x, y);
    *op.Dest = r;
}

inline void Divide(TOperation& op)
{
    const long double x = X(op), y = Y(op);
    if (y == 0) {
        op.MathError = true;
        return;
    }
    const long double r = x / y;
    CheckResult(r, x, y);
    *op.Dest = r;
}

inline void Square(TOperation& op)
{
    const long double x = X(op), r = x * x;
    CheckResult(r, x);
    *op.Dest = r;
}

inline void Cube(TOperation& op)
{
    const long double x = X(op), r = x * x * x;
    CheckResult(r, x);
    *op.Dest = r;
}

inline void FourthPower(TOperation& op)
{
    const long double x = X(op), s = x * x, r = s * s;
    CheckResult(r, x);
    *op.Dest = r;
}

// x MOD y and x DIV y on the 64-bit truncations: false on a zero divisor
// (result untouched); faults as the operators do.
bool ModuloOf(long double x, long double y, long double& result);
bool IntDivideOf(long double x, long double y, long double& result);

// The routine for an operator kind (0 to 13).
TMathRoutine::Function OperatorRoutine(std::uint8_t kind) noexcept;

// The built-ins that evaluation computes in place instead of calling their
// routine (each place decides which of them it has a form for).
enum class BuiltinForm : std::uint8_t { Call, Sine, Cosine, Absolute, Square };

struct BuiltinFunction
{
    const char* name;
    int arguments;
    TMathRoutine::Function routine;
    // The result depends on the operands alone and nothing else changes:
    // native code may run it and give up half-way (RND and RANDOM draw from
    // the generator, so they are not).
    bool pure = true;
    BuiltinForm form = BuiltinForm::Call;
};
std::span<const BuiltinFunction> BuiltinFunctions() noexcept;
// The built-in whose routine this is; null for any other routine.
const BuiltinFunction* FindBuiltin(TMathRoutine::Function routine) noexcept;

// x raised to a non-negative integer power by repeated squaring.
long double RaiseToInteger(long double x, std::uint64_t exponent);

} // namespace ondrix::parser
