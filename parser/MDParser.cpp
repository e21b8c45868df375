#include "parser/MDParser.h"

#include "parser/CompiledExpression.h"
#include "parser/ExpressionCompiler.h"
#include "parser/MathRoutines.h"

#include <stdexcept>

namespace {

std::string UpperCase(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsIdentifier(const std::string& name)
{
    if (name.empty() || !IsLetter(name.front())) return false;
    for (char c : name) {
        if (!IsLetter(c) && !(c >= '0' && c <= '9')) return false;
    }
    return true;
}

} // namespace

TMDCustomParser::TMDCustomParser(const void* owner) : owner_(owner) {}

TMDCustomParser::~TMDCustomParser() = default;

bool TMDCustomParser::IsCompiled() const noexcept
{
    return compiled_ != nullptr;
}

const TOperation* TMDCustomParser::Operations() const noexcept
{
    return compiled_ ? compiled_->Head() : nullptr;
}

void TMDCustomParser::ReleaseList() noexcept
{
    compiled_.reset();
}

bool TMDCustomParser::CompileExpression(const std::string& text)
{
    ReleaseList();
    expression_ = text;
    if (text.empty()) return false;
    try {
        compiled_ = ondrix::parser::CompileFormula(
            text, ondrix::parser::CompileTables{variables_, functions1_, functions2_, pointNumberformat_});
        compiled_->program = ondrix::parser::BuildProgram(compiled_->operations, compiled_->cells);
        return true;
    } catch (const std::exception& error) {
        compiled_.reset();
        if (!onParserError_) throw;
        onParserError_(this, error);
        return false;
    }
}

void TMDCustomParser::SetExpression(const std::string& text)
{
    CompileExpression(text);
}

long double TMDCustomParser::Value()
{
#ifdef ONDRIX_MACHINE_CODE
    if (compiled_ && compiled_->machineCode) [[likely]] {
        calcError_ = false;
        const long double value = compiled_->machineCode->Run();
        if (!ondrix::parser::TMachineCode::Bailed(value)) [[likely]]
            return value;
    }
#endif
    return PortableValue();
}

[[gnu::noinline]] long double TMDCustomParser::PortableValue()
{
    using namespace ondrix::parser;
    if (!compiled_) return 0;
    calcError_ = false;
    TCompiledExpression& compiled = *compiled_;
#ifdef ONDRIX_MACHINE_CODE
    // Native code is made once, on the evaluation that reaches the count; a
    // bail runs the evaluation program without counting.
    if (!compiled.machineCode && compiled.evaluations < TCompiledExpression::kEvaluationsBeforeMachineCode &&
        ++compiled.evaluations == TCompiledExpression::kEvaluationsBeforeMachineCode) {
        compiled.machineCode = TMachineCode::Compile(compiled.operations, compiled.cells);
    }
#endif
    if (!compiled.program.empty()) return RunProgram(compiled.program, calcError_);
    return RunRecords(compiled.Head(), calcError_);
}

long double* TMDCustomParser::OwnCell(std::string_view upperName) noexcept
{
    if (upperName.size() != 1) return nullptr;
    switch (upperName.front()) {
    case 'A':
        return &a_;
    case 'B':
        return &b_;
    case 'C':
        return &c_;
    case 'D':
        return &d_;
    case 'E':
        return &e_;
    case 'T':
        return &t_;
    case 'X':
        return &x_;
    case 'Y':
        return &y_;
    default:
        return nullptr;
    }
}

long double* TMDCustomParser::DefineVariable(const std::string& name, long double value)
{
    const std::string upper = UpperCase(name);
    if (const auto found = variables_.find(upper); found != variables_.end()) {
        *found->second = value;
        return found->second;
    }
    long double* cell = OwnCell(upper);
    if (!cell) {
        if (!IsIdentifier(upper)) throw EBadName(upper);
        definedCells_.push_back(std::make_unique<long double>(0));
        cell = definedCells_.back().get();
    }
    *cell = value;
    variables_.emplace(upper, cell);
    return cell;
}

void TMDCustomParser::AddFunction(const std::string& name, TMathRoutine routine)
{
    if (!IsIdentifier(name)) throw EBadName(name);
    if (!routine) throw std::invalid_argument("AddFunction needs a routine");
    AddBuiltinFunction1(UpperCase(name), std::move(routine));
}

void TMDCustomParser::AddBuiltinFunction1(const std::string& name, TMathRoutine routine)
{
    if (!functions1_.emplace(name, std::move(routine)).second) throw EDuplicateFunction();
}

void TMDCustomParser::AddFunction2(const std::string& name, TMathRoutine routine)
{
    if (!functions2_.emplace(name, std::move(routine)).second) throw EDuplicateFunction();
}

TMDParser::TMDParser(const void* owner) : TMDCustomParser(owner)
{
    for (const char* letter : {"A", "B", "C", "D", "E", "X", "Y", "T"})
        DefineVariable(letter, 0);
    for (const auto& builtin : ondrix::parser::BuiltinFunctions()) {
        if (builtin.arguments == 1)
            AddBuiltinFunction1(builtin.name, builtin.routine);
        else
            AddFunction2(builtin.name, builtin.routine);
    }
}
