#include "parser/ExpressionCompiler.h"

#include "parser/MathRoutines.h"
#include "parser/NumberLiteral.h"
#include "parser/TermChecks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <exception>
#include <functional>
#include <new>
#include <pthread.h>
#include <vector>

namespace ondrix::parser {

namespace {

constexpr int kMaxLevel = 20;
constexpr int kSlotsPerLevel = 50;

bool IsOneOperandKind(std::uint8_t kind)
{
    return kind == okNegation || kind == okSquare || kind == okCube || kind == okFourthPower ||
           kind == okFunction1;
}

bool IsBuiltinRoutine(const TMathRoutine& routine)
{
    return FindBuiltin(routine.PlainFunction()) != nullptr;
}

// A piece of the prepared text; "blank" stands for the single blank that
// LeftText and RightText hold until a check writes them.
struct Piece
{
    std::size_t b = 0, e = 0;
    bool blank = true;
};

struct Classification
{
    std::uint8_t kind = 0;
    Piece left, right;
    const TMathRoutine* routine = nullptr; // kinds 14 and 15
};

class FormulaCompiler
{
  public:
    FormulaCompiler(std::string_view prepared, const CompileTables& tables)
        : text_(prepared), tables_(tables), checks_(prepared, tables, tables.memoise)
    {
    }

    std::unique_ptr<TCompiledExpression> Run();

  private:
    Classification Classify(std::size_t b, std::size_t e);
    bool TrySplit(Operator op, std::size_t b, std::size_t e, Classification& result);
    bool TryCall1(std::size_t b, std::size_t e, Classification& result);
    bool TryCall2(std::size_t b, std::size_t e, Classification& result);
    [[noreturn]] void RaiseSyntaxError(std::size_t b, std::size_t e, const Classification& attempt) const;
    void Visit(std::size_t b, std::size_t e, int level, int slot, int side);
    long double* NewCell(long double value)
    {
        output_->cells.push_back(value);
        return &output_->cells.back();
    }
    TOperation& RecordAt(int level, int slot) { return records_[slots_[level][slot - 1]]; }
    std::string_view TextOf(const Piece& piece) const
    {
        return piece.blank ? std::string_view(" ") : text_.substr(piece.b, piece.e - piece.b);
    }

    std::string_view text_;
    const CompileTables& tables_;
    TermChecks checks_;
    std::unique_ptr<TCompiledExpression> output_ = std::make_unique<TCompiledExpression>();
    std::vector<TOperation> records_;
    std::array<std::vector<std::size_t>, kMaxLevel + 1> slots_; // record index per level and slot
};

Classification FormulaCompiler::Classify(std::size_t b, std::size_t e)
{
    Classification result;
    if (checks_.Is(tcVariable, b, e)) {
        result.kind = okVariable;
        return result;
    }
    if (checks_.Is(tcNumber, b, e)) {
        result.kind = okNumber;
        return result;
    }
    if (b < e && text_[b] == '-') {
        result.left = {b + 1, e, false};
        const bool operand = checks_.Is(tcBracketed, b + 1, e) || checks_.Is(tcVariable, b + 1, e) ||
                             checks_.Is(tcPower, b + 1, e) || checks_.Is(tcCall1, b + 1, e) ||
                             checks_.Is(tcCall2, b + 1, e);
        if (operand) {
            checks_.StripBrackets(result.left.b, result.left.e);
            result.kind = okNegation;
            return result;
        }
    }
    for (unsigned op = 0; op < opCount; ++op) {
        if (TrySplit(static_cast<Operator>(op), b, e, result)) return result;
    }
    if (TryCall1(b, e, result) || TryCall2(b, e, result)) return result;
    RaiseSyntaxError(b, e, result);
}

bool FormulaCompiler::TrySplit(Operator op, std::size_t b, std::size_t e, Classification& result)
{
    const OperatorInfo& info = InfoOf(op);
    const std::size_t width = info.symbol.size();
    const auto& positions = checks_.Occurrences(op);
    for (auto it = std::lower_bound(positions.begin(), positions.end(), b); it != positions.end() && *it < e;
         ++it) {
        const std::size_t k = *it;
        if (width == 1) {
            if (k == b || k == e - 1) return false;
        } else {
            if (k == b) continue;
            if (k + width > e) break;
        }
        result.left = {b, k, false};
        result.right = {k + width, e, false};
        if (!checks_.Balanced(b, k) || !checks_.Balanced(k + width, e)) continue;
        bool bracketed = false;
        if (!checks_.IsAnyOf(info.left, b, k, &bracketed)) continue;
        if (bracketed) checks_.StripBrackets(result.left.b, result.left.e);
        if (op == opPower && checks_.Is(tcNumber, k + 1, e)) {
            const long double exponent =
                ReadNumberLiteral(text_.substr(k + 1, e - k - 1), tables_.pointNumberformat).value_or(0.5L);
            const bool integral =
                exponent == std::trunc(exponent) && exponent >= INT32_MIN && exponent <= INT32_MAX;
            if (!integral)
                result.kind = okPower;
            else if (exponent == 2)
                result.kind = okSquare;
            else if (exponent == 3)
                result.kind = okCube;
            else if (exponent == 4)
                result.kind = okFourthPower;
            else
                result.kind = okIntPower;
            return true;
        }
        if (!checks_.IsAnyOf(info.right, k + width, e, &bracketed)) continue;
        if (bracketed) checks_.StripBrackets(result.right.b, result.right.e);
        static constexpr std::uint8_t kKinds[opCount] = {okSum,    okDifference, okProduct, okIntDivide,
                                                         okModulo, okQuotient,   okPower};
        result.kind = kKinds[op];
        return true;
    }
    return false;
}

bool FormulaCompiler::TryCall1(std::size_t b, std::size_t e, Classification& result)
{
    const std::size_t open = checks_.FirstOpen(b);
    if (open >= e || open == b) return false;
    const auto& table = tables_.functions1;
    const auto found = table.find(text_.substr(b, open - b));
    if (found == table.end()) return false;
    result.left = {open + 1, std::max(open + 1, e - 1), false};
    if (!checks_.Is(tcBracketed, open, e)) return false;
    checks_.StripBrackets(result.left.b, result.left.e);
    result.kind = okFunction1;
    result.routine = &found->second;
    return true;
}

bool FormulaCompiler::TryCall2(std::size_t b, std::size_t e, Classification& result)
{
    const std::size_t open = checks_.FirstOpen(b);
    if (open >= e || open == b || text_[e - 1] != ')') return false;
    const auto& table = tables_.functions2;
    const auto found = table.find(text_.substr(b, open - b));
    if (found == table.end()) return false;
    const std::size_t argsBegin = open + 1, argsEnd = e - 1;
    const auto& commas = checks_.Commas();
    for (auto it = std::lower_bound(commas.begin(), commas.end(), argsBegin);
         it != commas.end() && *it < argsEnd; ++it) {
        const std::size_t k = *it;
        if (k == argsBegin || k == argsEnd - 1) return false;
        result.left = {argsBegin, k, false};
        result.right = {k + 1, argsEnd, false};
        bool bracketed = false;
        if (!checks_.IsValid(argsBegin, k, &bracketed)) continue;
        if (bracketed) checks_.StripBrackets(result.left.b, result.left.e);
        if (!checks_.IsValid(k + 1, argsEnd, &bracketed)) continue;
        if (bracketed) checks_.StripBrackets(result.right.b, result.right.e);
        result.kind = okFunction2;
        result.routine = &found->second;
        return true;
    }
    return false;
}

void FormulaCompiler::RaiseSyntaxError(std::size_t b, std::size_t e, const Classification& attempt) const
{
    std::string message = "Error parsing expression:\r";
    if (attempt.left.blank && attempt.right.blank) {
        message += text_.substr(b, e - b);
    } else {
        message += TextOf(attempt.left);
        message += '\r';
        message += TextOf(attempt.right);
    }
    throw ESyntaxError(message);
}

// Depth-first over the term tree: classify the term, then give an operation
// term its record one level down and visit its operands.
void FormulaCompiler::Visit(std::size_t b, std::size_t e, int level, int slot, int side)
{
    const Classification term = Classify(b, e);
    auto attach = [&](long double* cell) {
        TOperation& parent = RecordAt(level, slot);
        (side == 1 ? parent.Arg1 : parent.Arg2) = cell;
    };
    if (term.kind == okVariable) {
        attach(tables_.variables.find(text_.substr(b, e - b))->second);
        return;
    }
    if (term.kind == okNumber) {
        attach(NewCell(ReadNumberLiteral(text_.substr(b, e - b), tables_.pointNumberformat).value_or(0)));
        return;
    }
    const int operandLevel = level + 1;
    if (operandLevel > kMaxLevel) throw ETooManyNestings("Expression contains too many nestings");
    const int operandSlot = static_cast<int>(slots_[operandLevel].size()) + 1;
    if (operandSlot > kSlotsPerLevel) throw EExpressionTooComplex("Expression is too complex");

    TOperation record;
    record.Kind = term.kind;
    if (term.routine) {
        record.Routine = *term.routine;
        record.CheckResult = !IsBuiltinRoutine(*term.routine);
    } else {
        record.Routine = OperatorRoutine(term.kind);
    }
    record.Dest = NewCell(0);
    long double* result = record.Dest;
    records_.push_back(std::move(record));
    const std::size_t index = records_.size() - 1;
    attach(result);

    if (IsOneOperandKind(term.kind)) {
        slots_[operandLevel].push_back(index);
        Visit(term.left.b, term.left.e, operandLevel, operandSlot, 1);
        return;
    }
    // Both operands share the record. Counting its slot before the first operand
    // instead of after it changes nothing: that operand's subtree only uses the
    // levels below.
    slots_[operandLevel].push_back(index);
    Visit(term.left.b, term.left.e, operandLevel, operandSlot, 1);
    Visit(term.right.b, term.right.e, operandLevel, operandSlot, 2);
}

std::unique_ptr<TCompiledExpression> FormulaCompiler::Run()
{
    TOperation root;
    root.Kind = okVariable;
    records_.push_back(std::move(root));
    slots_[0].push_back(0);
    // The outer brackets of the whole text are dropped before the tree is built.
    std::size_t b = 0, e = text_.size();
    checks_.StripBrackets(b, e);
    Visit(b, e, 0, 1, 1);

    int deepest = 0;
    for (int level = kMaxLevel; level > 0; --level) {
        if (!slots_[level].empty()) {
            deepest = level;
            break;
        }
    }
    auto& operations = output_->operations;
    if (deepest == 0) {
        TOperation only = std::move(records_[0]);
        only.Dest = only.Arg1;
        only.Kind = okVariable;
        only.Routine = OperatorRoutine(okVariable);
        operations.push_back(std::move(only));
    } else {
        std::size_t count = 0;
        for (int level = deepest; level > 0; --level)
            count += slots_[level].size();
        operations.reserve(count);
        for (int level = deepest; level > 0; --level) {
            for (std::size_t index : slots_[level])
                operations.push_back(std::move(records_[index]));
        }
    }
    for (std::size_t i = 0; i + 1 < operations.size(); ++i)
        operations[i].Next = &operations[i + 1];
    return std::move(output_);
}

constexpr std::size_t kLongText = 1024;

struct StackedCall
{
    const std::function<void()>* work;
    std::exception_ptr error;
};

void* RunStackedCall(void* argument)
{
    auto* call = static_cast<StackedCall*>(argument);
    try {
        (*call->work)();
    } catch (...) {
        call->error = std::current_exception();
    }
    return nullptr;
}

// Runs work on a thread of its own with the given stack size and waits for it;
// an exception of the work is raised again here.
void RunWithStack(const std::function<void()>& work, std::size_t stackBytes)
{
    StackedCall call{&work, nullptr};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, stackBytes);
    pthread_t thread;
    const int started = pthread_create(&thread, &attributes, RunStackedCall, &call);
    pthread_attr_destroy(&attributes);
    if (started != 0) throw std::bad_alloc();
    pthread_join(thread, nullptr);
    if (call.error) std::rethrow_exception(call.error);
}

std::string Prepare(const std::string& text)
{
    std::string prepared = text;
    for (char& c : prepared) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    const std::size_t first = prepared.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    prepared = prepared.substr(first, prepared.find_last_not_of(' ') - first + 1);
    if (prepared.find(' ') != std::string::npos) throw EExpressionHasBlanks("Expression has blanks");
    std::size_t opens = 0, closes = 0;
    for (char c : prepared) {
        opens += c == '(';
        closes += c == ')';
    }
    if (opens != closes) throw EMissMatchingBracket("Missing brackets in expression");
    return prepared;
}

} // namespace

std::unique_ptr<TCompiledExpression> CompileFormula(const std::string& text, const CompileTables& tables)
{
    const std::string prepared = Prepare(text);
    std::unique_ptr<TCompiledExpression> result;
    const auto compile = [&] {
        FormulaCompiler compiler(prepared, tables);
        result = compiler.Run();
    };
    // The checks recurse about once per bracket level and per chained operator:
    // long texts get a stack that cannot overflow (reserved, used only as needed).
    if (prepared.size() <= kLongText)
        compile();
    else
        RunWithStack(compile, std::max<std::size_t>(64u << 20, prepared.size() * 2048));
    return result;
}

} // namespace ondrix::parser
