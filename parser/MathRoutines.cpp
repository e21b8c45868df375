#include "parser/MathRoutines.h"

#include "parser/FastTrig.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace ondrix::parser {

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

// Truncates towards zero into 64 bits; a value outside the range is a fault.
std::int64_t TruncateTo64(long double value)
{
    // -2^63 - 1 is exact in extended precision; everything above it truncates into range.
    if (!(value > -0x1p63L - 1 && value < 0x1p63L)) RaiseFault(EMathFault::Kind::InvalidOperation);
    return static_cast<std::int64_t>(value);
}

void NoOperation(TOperation&) {}

void Modulo(TOperation& op)
{
    if (!ModuloOf(X(op), Y(op), *op.Dest)) op.MathError = true;
}

void IntDivide(TOperation& op)
{
    if (!IntDivideOf(X(op), Y(op), *op.Dest)) op.MathError = true;
}

void IntPower(TOperation& op)
{
    const long double x = X(op), y = Y(op);
    if (std::isnan(y)) {
        *op.Dest = y;
        return;
    }
    const std::int64_t exponent = TruncateTo64(y);
    const std::uint64_t magnitude =
        exponent < 0 ? 0 - static_cast<std::uint64_t>(exponent) : static_cast<std::uint64_t>(exponent);
    const long double power = RaiseToInteger(x, magnitude);
    long double r = power;
    if (exponent < 0) {
        if (power == 0) RaiseFault(EMathFault::Kind::ZeroDivide);
        // x^|n| may overflow although its reciprocal does not.
        r = std::isinf(power) && std::isfinite(x) ? RaiseToInteger(1.0L / x, magnitude - 1) / x
                                                  : 1.0L / power;
    }
    CheckResult(r, x);
    *op.Dest = r;
}

void Power(TOperation& op)
{
    const long double x = X(op), y = Y(op);
    if (!(x > 0)) {
        op.MathError = true;
        return;
    }
    const long double r = std::pow(x, y);
    CheckResult(r, x, y);
    *op.Dest = r;
}

// One-argument built-ins.

void Sin(TOperation& op)
{
    const long double x = X(op), r = FastSin(x);
    CheckResult(r, x);
    *op.Dest = r;
}

void Cos(TOperation& op)
{
    const long double x = X(op), r = FastCos(x);
    CheckResult(r, x);
    *op.Dest = r;
}

void Tan(TOperation& op)
{
    const long double x = X(op);
    long double s, c;
    FastSinCos(x, s, c);
    if (c == 0) {
        op.MathError = true;
        return;
    }
    const long double r = s / c;
    CheckResult(r, x);
    *op.Dest = r;
}

void Cotan(TOperation& op)
{
    const long double x = X(op);
    if (x == 0) {
        op.MathError = true;
        return;
    }
    long double s, c;
    FastSinCos(x, s, c);
    const long double tangent = s / c;
    CheckResult(tangent, x);
    if (tangent == 0) RaiseFault(EMathFault::Kind::ZeroDivide);
    const long double r = 1.0L / tangent;
    CheckResult(r, x);
    *op.Dest = r;
}

void ArcTan(TOperation& op)
{
    *op.Dest = std::atan(X(op));
}

// (e^x - e^-x) / 2 taken literally cancels near 0 (SINH(1E-19) would be 0),
// so the library's sinh and cosh give the same function at full precision.
void Sinh(TOperation& op)
{
    const long double x = X(op), r = std::sinh(x);
    CheckResult(r, x);
    *op.Dest = r;
}

void Cosh(TOperation& op)
{
    const long double x = X(op), r = std::cosh(x);
    CheckResult(r, x);
    *op.Dest = r;
}

void Exp(TOperation& op)
{
    const long double x = X(op), r = std::exp(x);
    CheckResult(r, x);
    *op.Dest = r;
}

template <long double (*Logarithm)(long double)> void LogarithmRoutine(TOperation& op)
{
    const long double x = X(op);
    if (x <= 0) {
        op.MathError = true;
        return;
    }
    *op.Dest = Logarithm(x);
}

long double NaturalLog(long double x)
{
    return std::log(x);
}
long double DecimalLog(long double x)
{
    return std::log10(x);
}
long double BinaryLog(long double x)
{
    return std::log2(x);
}

void SquareRoot(TOperation& op)
{
    const long double x = X(op);
    if (x < 0) {
        op.MathError = true;
        return;
    }
    *op.Dest = std::sqrt(x);
}

void Abs(TOperation& op)
{
    *op.Dest = std::fabs(X(op));
}

void Trunc(TOperation& op)
{
    *op.Dest = std::trunc(X(op));
}

void Ceil(TOperation& op)
{
    const long double x = X(op);
    const long double fraction = x - std::trunc(x);
    *op.Dest = fraction > 0 ? std::trunc(x + 1) : std::trunc(x);
}

void Floor(TOperation& op)
{
    const long double x = X(op);
    const long double fraction = x - std::trunc(x);
    *op.Dest = fraction < 0 ? std::trunc(x - 1) : std::trunc(x);
}

void Heaviside(TOperation& op)
{
    *op.Dest = X(op) >= 0 ? 1.0L : 0.0L;
}

void Sign(TOperation& op)
{
    const long double x = X(op);
    *op.Dest = x > 0 ? 1.0L : x < 0 ? -1.0L : x == 0 ? 0.0L : x;
}

void Zero(TOperation& op)
{
    *op.Dest = X(op) == 0 ? 0.0L : 1.0L;
}

// Kept as it has always been computed: the argument is divided by 2/pi (not by
// 2*pi) before the whole turns are taken off.
void Phase(TOperation& op)
{
    const long double x = X(op);
    const long double u = x / 0.63661977236758134308L;
    const long double r = (u - std::rint(u)) * (2 * kPi);
    CheckResult(r, x);
    *op.Dest = r;
}

void Rnd(TOperation& op)
{
    *op.Dest = std::trunc(X(op)) * RandomFraction();
}

void Random(TOperation& op)
{
    *op.Dest = RandomFraction();
}

// Two-argument built-ins.

void Max(TOperation& op)
{
    const long double x = X(op), y = Y(op);
    *op.Dest = y > x ? y : x;
}

void Min(TOperation& op)
{
    const long double x = X(op), y = Y(op);
    *op.Dest = x < y ? x : y;
}

void Arg(TOperation& op)
{
    const long double x = X(op), y = Y(op);
    if (x == 0) {
        *op.Dest = y > 0 ? kPi / 2 : -kPi / 2;
        return;
    }
    const long double ratio = y / x;
    CheckResult(ratio, x, y);
    *op.Dest = x > 0 ? std::atan(ratio) : std::atan(ratio) + kPi;
}

void LogN(TOperation& op)
{
    const long double x = X(op), y = Y(op);
    if (x <= 0 || y <= 0) {
        op.MathError = true;
        return;
    }
    const long double base = std::log(x), value = std::log(y);
    if (base == 0) RaiseFault(value == 0 ? EMathFault::Kind::InvalidOperation : EMathFault::Kind::ZeroDivide);
    const long double r = value / base;
    CheckResult(r, x, y);
    *op.Dest = r;
}

constexpr BuiltinFunction kBuiltins[] = {
    {"SIN", 1, Sin, true, BuiltinForm::Sine},
    {"COS", 1, Cos, true, BuiltinForm::Cosine},
    {"TAN", 1, Tan},
    {"COTAN", 1, Cotan},
    {"ARCTAN", 1, ArcTan},
    {"SINH", 1, Sinh},
    {"COSH", 1, Cosh},
    {"EXP", 1, Exp},
    {"LN", 1, LogarithmRoutine<NaturalLog>},
    {"LOG10", 1, LogarithmRoutine<DecimalLog>},
    {"LOG2", 1, LogarithmRoutine<BinaryLog>},
    {"SQR", 1, Square, true, BuiltinForm::Square},
    {"SQRT", 1, SquareRoot},
    {"ABS", 1, Abs, true, BuiltinForm::Absolute},
    {"TRUNC", 1, Trunc},
    {"INT", 1, Trunc},
    {"CEIL", 1, Ceil},
    {"FLOOR", 1, Floor},
    {"HEAV", 1, Heaviside},
    {"SIGN", 1, Sign},
    {"ZERO", 1, Zero},
    {"PH", 1, Phase},
    {"RND", 1, Rnd, false},
    {"RANDOM", 1, Random, false},
    {"MAX", 2, Max},
    {"MIN", 2, Min},
    {"ARG", 2, Arg},
    {"POWER", 2, Power},
    {"INTPOWER", 2, IntPower},
    {"LOGN", 2, LogN},
};

} // namespace

void RaiseFault(EMathFault::Kind kind)
{
    throw EMathFault(kind);
}

void CheckNonFinite(long double result, long double x, long double y)
{
    if (std::isnan(result)) {
        if (!std::isnan(x) && !std::isnan(y)) RaiseFault(EMathFault::Kind::InvalidOperation);
    } else if (std::isfinite(x) && std::isfinite(y)) {
        RaiseFault(EMathFault::Kind::Overflow);
    }
}

namespace {

// MOD and DIV work on their operands truncated to 64 bits. A NaN passes
// through; a divisor that truncates to 0 is a math error (false).
template <typename IntegerOperation>
bool OnTruncatedOperands(long double x, long double y, long double& result, IntegerOperation operation)
{
    if (std::isnan(x) || std::isnan(y)) {
        result = x + y;
        return true;
    }
    const std::int64_t divisor = TruncateTo64(y);
    if (divisor == 0) return false;
    result = operation(TruncateTo64(x), divisor);
    return true;
}

} // namespace

bool ModuloOf(long double x, long double y, long double& result)
{
    return OnTruncatedOperands(x, y, result, [](std::int64_t dividend, std::int64_t divisor) {
        // -2^63 mod -1 is 0, but the machine instruction would trap on it.
        return divisor == -1 ? 0.0L : static_cast<long double>(dividend % divisor);
    });
}

bool IntDivideOf(long double x, long double y, long double& result)
{
    return OnTruncatedOperands(x, y, result, [](std::int64_t dividend, std::int64_t divisor) {
        if (dividend == std::numeric_limits<std::int64_t>::min() && divisor == -1)
            RaiseFault(EMathFault::Kind::Overflow);
        return static_cast<long double>(dividend / divisor);
    });
}

long double RaiseToInteger(long double x, std::uint64_t exponent)
{
    // Every squaring doubles the relative error already in the factor, so squaring loses about
    // one digit per decade of the exponent (2e-8 for 1.0000000001^1E12). Large exponents keep
    // a base in range only when it lies very close to 1; there the library power, accurate to
    // about one unit in the last place, takes over (every 64-bit exponent is exact in extended
    // precision).
    constexpr std::uint64_t kSquaringLimit = 1U << 16;
    if (exponent > kSquaringLimit) return std::pow(x, static_cast<long double>(exponent));
    long double result = 1, factor = x;
    while (exponent != 0) {
        if (exponent & 1) result *= factor;
        exponent >>= 1;
        if (exponent != 0) factor *= factor;
    }
    return result;
}

TMathRoutine::Function OperatorRoutine(std::uint8_t kind) noexcept
{
    switch (kind) {
    case okNegation:
        return Negate;
    case okSum:
        return Add;
    case okDifference:
        return Subtract;
    case okProduct:
        return Multiply;
    case okQuotient:
        return Divide;
    case okModulo:
        return Modulo;
    case okIntDivide:
        return IntDivide;
    case okIntPower:
        return IntPower;
    case okPower:
        return Power;
    case okSquare:
        return Square;
    case okCube:
        return Cube;
    case okFourthPower:
        return FourthPower;
    default:
        return NoOperation;
    }
}

std::span<const BuiltinFunction> BuiltinFunctions() noexcept
{
    return kBuiltins;
}

const BuiltinFunction* FindBuiltin(TMathRoutine::Function routine) noexcept
{
    if (!routine) return nullptr;
    for (const BuiltinFunction& builtin : kBuiltins) {
        if (builtin.routine == routine) return &builtin;
    }
    return nullptr;
}

} // namespace ondrix::parser

const char* EMathFault::what() const noexcept
{
    switch (kind_) {
    case Kind::Overflow:
        return "Floating-point overflow";
    case Kind::ZeroDivide:
        return "Floating-point division by zero";
    case Kind::InvalidOperation:
        break;
    }
    return "Invalid floating-point operation";
}
