#include "parser/EvaluationProgram.h"

#include "parser/FastTrig.h"
#include "parser/MathRoutines.h"

#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace ondrix::parser {

bool ExactDouble(long double value, double& result) noexcept
{
    const double narrowed = static_cast<double>(value);
    if (static_cast<long double>(narrowed) != value || std::signbit(narrowed) != std::signbit(value))
        return false;
    result = narrowed;
    return true;
}

bool IsFoldableBinary(std::uint8_t kind) noexcept
{
    return kind == okSum || kind == okDifference || kind == okProduct || kind == okQuotient;
}

bool FoldOperation(std::uint8_t kind, long double x, long double y, long double& result) noexcept
{
    switch (kind) {
    case okSum:
        result = x + y;
        break;
    case okDifference:
        result = x - y;
        break;
    case okProduct:
        result = x * y;
        break;
    case okQuotient:
        if (y == 0) return false;
        result = x / y;
        break;
    case okNegation:
        result = -x;
        break;
    case okSquare:
        result = x * x;
        break;
    case okCube:
        result = x * x * x;
        break;
    case okFourthPower:
        result = (x * x) * (x * x);
        break;
    default:
        return false;
    }
    return std::isfinite(result);
}

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
    icConstantD,   // a folded result that a double holds
    icConstantM,   // a folded result held in a cell of its own
    icAdd,
    icSubtract = icAdd + mModes,
    icMultiply = icSubtract + mModes,
    icDivide = icMultiply + mModes,
    icNegate = icDivide + mModes,
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
    const BuiltinFunction* builtin = FindBuiltin(routine.PlainFunction());
    switch (builtin ? builtin->form : BuiltinForm::Call) {
    case BuiltinForm::Absolute:
        return icAbs;
    case BuiltinForm::Sine:
        return icSin;
    case BuiltinForm::Cosine:
        return icCos;
    default:
        return icRoutine;
    }
}

// Works out an operator record whose operands are all known (see FoldOperation).
bool Fold(const TOperation& operation, const std::unordered_map<const long double*, long double>& known,
          long double& result)
{
    const auto first = known.find(operation.Arg1);
    if (first == known.end()) return false;
    long double y = 0;
    if (IsFoldableBinary(operation.Kind)) {
        const auto second = known.find(operation.Arg2);
        if (second == known.end()) return false;
        y = second->second;
    }
    return FoldOperation(operation.Kind, first->second, y, result);
}

// What the plain walk returns when a record reports a domain error.
long double DomainErrorResult(const TOperation& operation, bool& calcError)
{
    calcError = true;
    return *(operation.Next ? operation.Next : &operation)->Dest;
}

} // namespace

std::vector<TInstruction> BuildProgram(std::vector<TOperation>& operations, std::deque<long double>& cells)
{
    std::unordered_map<const long double*, std::size_t> producer;
    for (std::size_t i = 0; i < operations.size(); ++i)
        producer.emplace(operations[i].Dest, i);
    std::unordered_set<const long double*> literals;
    // Cells whose value is known before any evaluation: literals and folded results.
    std::unordered_map<const long double*, long double> known;
    for (const long double& cell : cells) {
        if (!producer.count(&cell)) {
            literals.insert(&cell);
            known.emplace(&cell, cell);
        }
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
        if (long double value; Fold(operation, known, value)) {
            known.emplace(operation.Dest, value);
            double narrowed;
            if (ExactDouble(value, narrowed)) {
                instruction.code = icConstantD;
                instruction.constant = narrowed;
            } else {
                cells.push_back(value);
                instruction.code = icConstantM;
                instruction.arg1 = &cells.back();
            }
            previous = operation.Dest;
            continue;
        }
        const bool firstFromPrevious = previous && operation.Arg1 == previous;
        const bool secondFromPrevious = previous && operation.Arg2 == previous;
        double constant1 = 0, constant2 = 0;
        const bool firstConstant = literals.count(operation.Arg1) && ExactDouble(*operation.Arg1, constant1);
        const bool secondConstant = literals.count(operation.Arg2) && ExactDouble(*operation.Arg2, constant2);
        switch (operation.Kind) {
        case okSum:
        case okDifference:
        case okProduct:
        case okQuotient: {
            const std::uint8_t base = operation.Kind == okSum          ? icAdd
                                      : operation.Kind == okDifference ? icSubtract
                                      : operation.Kind == okProduct    ? icMultiply
                                                                       : icDivide;
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
                             (instruction.code >= icDivide && instruction.code < icDivide + mModes);
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
        case icConstantD:
            acc = instruction.constant;
            if (instruction.store) *instruction.dest = acc;
            continue;
        case icConstantM:
            acc = *instruction.arg1;
            if (instruction.store) *instruction.dest = acc;
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
