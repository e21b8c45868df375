#include "parser/EvaluationProgram.h"

#include "parser/FastTrig.h"
#include "parser/MathRoutines.h"

#include <cmath>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace ondrix::parser {

namespace {

// 80-bit loads and stores are slow microcoded instructions on current x86
// processors and dominate a naive walk. Operands therefore come from one of:
//   A - the previous instruction's result, held in a register;
//   M - its cell;
//   D - a double held in the instruction, for literals that a double
//       represents exactly (a 64-bit load converts without loss).
constexpr std::uint8_t mAM = 0, mMA = 1, mMM = 2, mAD = 3, mDA = 4, mMD = 5, mDM = 6, mModes = 7;
constexpr std::uint8_t uA = 0, uM = 1, uModes = 2;

enum : std::uint8_t {
    icRoutine = 0, // any other record: its own routine on its own operands
    icLoad,        // the list of a lone variable or number
    icAdd,
    icSubtract = icAdd + mModes,
    icMultiply = icSubtract + mModes,
    icDivide = icMultiply + mModes,
    icModulo = icDivide + mModes,
    icIntDivide = icModulo + mModes,
    icNegate = icIntDivide + mModes,
    icSquare = icNegate + uModes,
    icCube = icSquare + uModes,
    icFourth = icCube + uModes,
    icAbs = icFourth + uModes,
    icSin = icAbs + uModes,
    icCos = icSin + uModes,
};

// The built-ins the program runs inline, by their routine.
std::uint8_t InlineFunctionCode(const TMathRoutine& routine)
{
    if (!routine.PlainFunction()) return icRoutine;
    for (const BuiltinFunction& builtin : BuiltinFunctions()) {
        if (builtin.routine != routine.PlainFunction()) continue;
        const std::string_view name = builtin.name;
        return name == "ABS" ? icAbs : name == "SIN" ? icSin : name == "COS" ? icCos : icRoutine;
    }
    return icRoutine;
}

bool ExactDouble(long double value, double& result)
{
    const double narrowed = static_cast<double>(value);
    if (static_cast<long double>(narrowed) != value || std::signbit(narrowed) != std::signbit(value))
        return false;
    result = narrowed;
    return true;
}

// What the plain walk returns when a record reports a domain error.
long double DomainErrorResult(const TOperation& operation, bool& calcError)
{
    calcError = true;
    return *(operation.Next ? operation.Next : &operation)->Dest;
}

} // namespace

std::vector<TInstruction> BuildProgram(std::vector<TOperation>& operations,
                                       const std::deque<long double>& cells)
{
    std::unordered_map<const long double*, std::size_t> producer;
    for (std::size_t i = 0; i < operations.size(); ++i)
        producer.emplace(operations[i].Dest, i);
    std::unordered_set<const long double*> literals;
    for (const long double& cell : cells) {
        if (!producer.count(&cell)) literals.insert(&cell);
    }

    std::vector<TInstruction> program(operations.size());
    for (TInstruction& instruction : program)
        instruction.store = false;
    // A cell read from memory must have been written.
    auto readFromCell = [&](const long double* cell) {
        if (const auto found = producer.find(cell); found != producer.end())
            program[found->second].store = true;
    };
    const long double* previous = nullptr;
    for (std::size_t i = 0; i < operations.size(); ++i) {
        TOperation& operation = operations[i];
        TInstruction& instruction = program[i];
        instruction.arg1 = operation.Arg1;
        instruction.arg2 = operation.Arg2;
        instruction.dest = operation.Dest;
        instruction.operation = &operation;
        const bool firstFromPrevious = previous && operation.Arg1 == previous;
        const bool secondFromPrevious = previous && operation.Arg2 == previous;
        double constant1 = 0, constant2 = 0;
        const bool firstConstant = literals.count(operation.Arg1) && ExactDouble(*operation.Arg1, constant1);
        const bool secondConstant = literals.count(operation.Arg2) && ExactDouble(*operation.Arg2, constant2);
        switch (operation.Kind) {
        case okSum:
        case okDifference:
        case okProduct:
        case okQuotient:
        case okModulo:
        case okIntDivide: {
            const std::uint8_t base = operation.Kind == okSum          ? icAdd
                                      : operation.Kind == okDifference ? icSubtract
                                      : operation.Kind == okProduct    ? icMultiply
                                      : operation.Kind == okQuotient   ? icDivide
                                      : operation.Kind == okModulo     ? icModulo
                                                                       : icIntDivide;
            std::uint8_t mode;
            if (firstFromPrevious)
                mode = secondConstant ? mAD : mAM;
            else if (secondFromPrevious)
                mode = firstConstant ? mDA : mMA;
            else if (secondConstant)
                mode = mMD;
            else if (firstConstant)
                mode = mDM;
            else
                mode = mMM;
            instruction.code = static_cast<std::uint8_t>(base + mode);
            instruction.constant = mode == mAD || mode == mMD ? constant2 : constant1;
            if (mode == mMA || mode == mMM || mode == mMD) readFromCell(operation.Arg1);
            if (mode == mAM || mode == mMM || mode == mDM) readFromCell(operation.Arg2);
            break;
        }
        case okNegation:
        case okSquare:
        case okCube:
        case okFourthPower: {
            const std::uint8_t base = operation.Kind == okNegation ? icNegate
                                      : operation.Kind == okSquare ? icSquare
                                      : operation.Kind == okCube   ? icCube
                                                                   : icFourth;
            instruction.code = static_cast<std::uint8_t>(base + (firstFromPrevious ? uA : uM));
            if (!firstFromPrevious) readFromCell(operation.Arg1);
            break;
        }
        case okVariable:
            instruction.code = operations.size() == 1 ? icLoad : icRoutine;
            break;
        case okFunction1:
            instruction.code = InlineFunctionCode(operation.Routine);
            if (instruction.code != icRoutine) {
                instruction.code =
                    static_cast<std::uint8_t>(instruction.code + (firstFromPrevious ? uA : uM));
                if (!firstFromPrevious) readFromCell(operation.Arg1);
            }
            break;
        default:
            instruction.code = icRoutine;
            break;
        }
        if (instruction.code == icRoutine) {
            readFromCell(operation.Arg1);
            readFromCell(operation.Arg2);
            instruction.store = true; // the routine writes the cell itself
        }
        const bool mayFail = instruction.code == icRoutine ||
                             (instruction.code >= icDivide && instruction.code < icIntDivide + mModes);
        // A domain error returns the next record's cell as it was last written
        // (the record's own when it is the last).
        if (mayFail) program[i + 1 < operations.size() ? i + 1 : i].store = true;
        previous = operation.Dest;
    }
    return program;
}

long double RunProgram(const std::vector<TInstruction>& program, bool& calcError)
{
    // The previous instruction's result (equal to its cell where that is written).
    long double acc = 0;
    for (const TInstruction& instruction : program) {
        long double x, y, r;
        switch (instruction.code) {
        case icLoad:
            acc = *instruction.dest;
            continue;

#define ONDRIX_OPERANDS(code, Label)                                                                         \
    case code + mAM:                                                                                         \
        x = acc, y = *instruction.arg2;                                                                      \
        goto Label;                                                                                          \
    case code + mMA:                                                                                         \
        x = *instruction.arg1, y = acc;                                                                      \
        goto Label;                                                                                          \
    case code + mAD:                                                                                         \
        x = acc, y = instruction.constant;                                                                   \
        goto Label;                                                                                          \
    case code + mDA:                                                                                         \
        x = instruction.constant, y = acc;                                                                   \
        goto Label;                                                                                          \
    case code + mMD:                                                                                         \
        x = *instruction.arg1, y = instruction.constant;                                                     \
        goto Label;                                                                                          \
    case code + mDM:                                                                                         \
        x = instruction.constant, y = *instruction.arg2;                                                     \
        goto Label;                                                                                          \
    case code + mMM:                                                                                         \
        x = *instruction.arg1, y = *instruction.arg2;
#define ONDRIX_BINARY(code, Label, expression)                                                               \
    ONDRIX_OPERANDS(code, Label)                                                                             \
    Label:                                                                                                   \
    r = expression;                                                                                          \
    CheckResult(r, x, y);                                                                                    \
    if (instruction.store) *instruction.dest = r;                                                            \
    acc = r;                                                                                                 \
    continue;
            ONDRIX_BINARY(icAdd, Add, x + y)
            ONDRIX_BINARY(icSubtract, Subtract, x - y)
            ONDRIX_BINARY(icMultiply, Multiply, x * y)
            ONDRIX_OPERANDS(icDivide, Divide)
        Divide:
            if (y == 0) [[unlikely]] {
                instruction.operation->MathError = true;
                return DomainErrorResult(*instruction.operation, calcError);
            }
            instruction.operation->MathError = false;
            r = x / y;
            CheckResult(r, x, y);
            if (instruction.store) *instruction.dest = r;
            acc = r;
            continue;
            ONDRIX_OPERANDS(icModulo, Modulo)
        Modulo:
            if (!ModuloOf(x, y, r)) [[unlikely]] {
                instruction.operation->MathError = true;
                return DomainErrorResult(*instruction.operation, calcError);
            }
            goto IntegerResult;
            ONDRIX_OPERANDS(icIntDivide, IntDivide)
        IntDivide:
            if (!IntDivideOf(x, y, r)) [[unlikely]] {
                instruction.operation->MathError = true;
                return DomainErrorResult(*instruction.operation, calcError);
            }
        IntegerResult:
            instruction.operation->MathError = false;
            if (instruction.store) *instruction.dest = r;
            acc = r;
            continue;
#undef ONDRIX_BINARY
#undef ONDRIX_OPERANDS

        case icNegate + uA:
            r = -acc;
            if (instruction.store) *instruction.dest = r;
            acc = r;
            continue;
        case icNegate + uM:
            r = -*instruction.arg1;
            if (instruction.store) *instruction.dest = r;
            acc = r;
            continue;
#define ONDRIX_UNARY(code, Label, expression)                                                                \
    case code + uA:                                                                                          \
        x = acc;                                                                                             \
        goto Label;                                                                                          \
    case code + uM:                                                                                          \
        x = *instruction.arg1;                                                                               \
    Label:                                                                                                   \
        r = expression;                                                                                      \
        CheckResult(r, x);                                                                                   \
        if (instruction.store) *instruction.dest = r;                                                        \
        acc = r;                                                                                             \
        continue;
            ONDRIX_UNARY(icSquare, Square, x * x)
            ONDRIX_UNARY(icCube, Cube, x * x * x)
            ONDRIX_UNARY(icFourth, Fourth, (x * x) * (x * x))
            ONDRIX_UNARY(icSin, Sin, FastSin(x))
            ONDRIX_UNARY(icCos, Cos, FastCos(x))
#undef ONDRIX_UNARY
        case icAbs + uA:
            r = std::fabs(acc);
            if (instruction.store) *instruction.dest = r;
            acc = r;
            continue;
        case icAbs + uM:
            r = std::fabs(*instruction.arg1);
            if (instruction.store) *instruction.dest = r;
            acc = r;
            continue;

        default: {
            TOperation& operation = *instruction.operation;
            operation.MathError = false;
            operation.Routine(operation);
            // Added routines are checked here; the built-ins check themselves.
            if (operation.CheckResult && !operation.MathError) [[unlikely]]
                CheckResult(*operation.Dest, *operation.Arg1, operation.Arg2 ? *operation.Arg2 : 0.0L);
            if (operation.MathError) [[unlikely]]
                return DomainErrorResult(operation, calcError);
            acc = *instruction.dest;
            continue;
        }
        }
    }
    return acc;
}

long double RunRecords(TOperation* operation, bool& calcError)
{
    for (;;) {
        operation->MathError = false;
        // The operator kinds run inline; their records hold the very same routines.
        switch (operation->Kind) {
        case okNegation:
            Negate(*operation);
            break;
        case okSum:
            Add(*operation);
            break;
        case okDifference:
            Subtract(*operation);
            break;
        case okProduct:
            Multiply(*operation);
            break;
        case okQuotient:
            Divide(*operation);
            break;
        case okSquare:
            Square(*operation);
            break;
        case okCube:
            Cube(*operation);
            break;
        case okFourthPower:
            FourthPower(*operation);
            break;
        default:
            operation->Routine(*operation);
            if (operation->CheckResult && !operation->MathError) [[unlikely]]
                CheckResult(*operation->Dest, *operation->Arg1, operation->Arg2 ? *operation->Arg2 : 0.0L);
            break;
        }
        if (operation->MathError) [[unlikely]] {
            calcError = true;
            return *(operation->Next ? operation->Next : operation)->Dest;
        }
        if (!operation->Next) return *operation->Dest;
        operation = operation->Next;
    }
}

} // namespace ondrix::parser
