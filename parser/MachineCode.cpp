#include "parser/MachineCode.h"

#include "parser/EvaluationProgram.h"
#include "parser/ExecutableMemory.h"
#include "parser/FastTrig.h"
#include "parser/MathRoutines.h"
#include "parser/X87Assembler.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace ondrix::parser {

namespace {

std::atomic<bool>& MachineCodeSwitch() noexcept
{
    static std::atomic<bool> allowed{!SwitchesMachineCodeOff(std::getenv(kNoMachineCodeSwitch))};
    return allowed;
}

// Runs a built-in routine for the native code: false when it reports a
// domain error or raises (the code then bails and the evaluation program
// meets the same error again).
bool RunRoutineCall(TOperation* call) noexcept
{
    call->MathError = false;
    try {
        call->Routine(*call);
    } catch (...) {
        return false;
    }
    return !call->MathError;
}

enum class NodeType {
    Constant,
    Variable,
    Add,
    Subtract,
    Multiply,
    Divide,
    Modulo,
    IntDivide,
    Negate,
    Absolute,
    Square,
    Cube,
    Fourth,
    Sine,
    Cosine,
    Routine, // any other pure built-in, called through RunRoutineCall
};

struct Node
{
    NodeType type = NodeType::Constant;
    long double value = 0;                   // Constant
    const long double* cell = nullptr;       // Variable
    int left = -1, right = -1;               // operands (right only for two)
    const TOperation* record = nullptr;      // the operation behind it
    long double* domainReturnCell = nullptr; // see MarkDomainReturnCells
    bool hasCall = false;
    int need = 1; // stack registers its evaluation needs
};

bool IsBinaryKind(std::uint8_t kind)
{
    return (kind >= okSum && kind <= okPower) || kind == okFunction2;
}

bool IsUnaryKind(std::uint8_t kind)
{
    return kind == okNegation || (kind >= okSquare && kind <= okFourthPower) || kind == okFunction1;
}

// How a built-in function runs in native code; false for routines that must
// keep to the evaluation program (side effects, or not a built-in at all).
bool BuiltinNodeType(const TOperation& record, NodeType& type)
{
    if (record.CheckResult) return false;
    const BuiltinFunction* builtin = FindBuiltin(record.Routine.PlainFunction());
    if (!builtin || !builtin->pure) return false;
    switch (builtin->form) {
    case BuiltinForm::Sine:
        type = NodeType::Sine;
        break;
    case BuiltinForm::Cosine:
        type = NodeType::Cosine;
        break;
    case BuiltinForm::Absolute:
        type = NodeType::Absolute;
        break;
    case BuiltinForm::Square:
        type = NodeType::Square;
        break;
    case BuiltinForm::Call:
        type = NodeType::Routine;
        break;
    }
    return true;
}

NodeType OperatorNodeType(std::uint8_t kind)
{
    switch (kind) {
    case okSum:
        return NodeType::Add;
    case okDifference:
        return NodeType::Subtract;
    case okProduct:
        return NodeType::Multiply;
    case okQuotient:
        return NodeType::Divide;
    case okModulo:
        return NodeType::Modulo;
    case okIntDivide:
        return NodeType::IntDivide;
    case okNegation:
        return NodeType::Negate;
    case okSquare:
        return NodeType::Square;
    case okCube:
        return NodeType::Cube;
    case okFourthPower:
        return NodeType::Fourth;
    default:
        return NodeType::Routine; // the powers, through their routines
    }
}

// The 64-bit truncation of a known operand, as MOD and DIV take it.
bool TruncatedConstant(long double value, std::int64_t& result)
{
    if (!(value > -0x1p63L - 1 && value < 0x1p63L)) return false;
    result = static_cast<std::int64_t>(value);
    return true;
}

class GiveUp
{
};

} // namespace

// Builds the operation tree from the list (deepest level first, so every
// result is read by exactly one later record and the last record is the
// root) and emits code for it.
class MachineCodeGenerator
{
  public:
    MachineCodeGenerator(const std::vector<TOperation>& operations, const std::deque<long double>& cells,
                         TMachineCode& target)
        : operations_(operations), target_(target)
    {
        for (const long double& cell : cells)
            literals_.insert(&cell);
    }

    void BuildTree();
    void MarkDomainReturnCells();
    // Variables read more than once are loaded once, at the bottom of the
    // register stack, and copied from there (a repeated 80-bit load costs
    // more than the whole arithmetic of a small formula). Possible only
    // without calls, which need the stack empty; and the copies take
    // registers, so code that would run out of them is made without.
    std::vector<std::uint8_t> Emit(bool pinVariables);

  private:
    // Frame layout (offsets from RSP after the prologue).
    static constexpr std::int32_t kArgument = 0;  // a long double argument of a call
    static constexpr std::int32_t kInteger1 = 16; // integer operands of MOD and DIV
    static constexpr std::int32_t kInteger2 = 24;
    static constexpr std::int32_t kSpills = 32; // 16 bytes each
    static constexpr int kStackRegisters = 8;

    int Operand(const long double* cell, std::size_t reader,
                const std::unordered_map<const long double*, std::size_t>& producer);
    void Prepare(int index);
    bool IsDoubleConstant(int index, double& value) const;
    bool IsNonZeroConstant(int index) const;
    const double* KeepDouble(double value);
    const long double* KeepExtended(long double value);

    void Generate(int index);
    void GenerateBinary(const Node& node);
    bool GenerateOperands(const Node& node);
    void GenerateArithmetic(const Node& node, bool leftOnTop);
    void GenerateWithDoubleOperand(const Node& node, bool constantIsLeft, const double* constant);
    void GenerateIntegerOperation(const Node& node);
    void GenerateCall(const Node& node);
    void LoadConstant(long double value);
    void CheckFinite(int position);
    void CheckDivisor(int position);
    void Push();
    void PopStack(int count = 1);
    X87Assembler::Label Bail() const { return bail_[depth_]; }

    const std::vector<TOperation>& operations_;
    TMachineCode& target_;
    std::unordered_set<const long double*> literals_;
    std::vector<Node> nodes_;
    std::vector<std::size_t> recordNodes_; // the node of each record
    std::vector<int> unreadResults_;       // while linking: the node of each record not yet read, or -1
    struct Copy
    {
        const long double* shadow;
        long double* cell;
    };
    std::vector<Copy> copiesOnSuccess_;
    X87Assembler assembler_;
    X87Assembler::Label bail_[kStackRegisters + 1] = {};
    int depth_ = 0;
    std::unordered_map<const long double*, int> pinned_; // variable cell -> register from the bottom
    int spills_ = 0, maxSpills_ = 0;
};

int MachineCodeGenerator::Operand(const long double* cell, std::size_t reader,
                                  const std::unordered_map<const long double*, std::size_t>& producer)
{
    if (!cell) throw GiveUp();
    if (const auto found = producer.find(cell); found != producer.end()) {
        // Read before it is written, or read twice: not the tree the compiler builds.
        if (found->second >= reader || unreadResults_[found->second] < 0) throw GiveUp();
        const int node = unreadResults_[found->second];
        unreadResults_[found->second] = -1;
        return node;
    }
    Node leaf;
    if (literals_.count(cell)) {
        leaf.type = NodeType::Constant;
        leaf.value = *cell;
    } else {
        leaf.type = NodeType::Variable;
        leaf.cell = cell;
    }
    nodes_.push_back(leaf);
    return static_cast<int>(nodes_.size() - 1);
}

void MachineCodeGenerator::BuildTree()
{
    if (operations_.size() < 2 && (operations_.empty() || operations_[0].Kind == okVariable)) throw GiveUp();
    nodes_.reserve(operations_.size() * 3);
    unreadResults_.assign(operations_.size(), -1);
    recordNodes_.assign(operations_.size(), 0);
    // Records only read cells written by records before them (or leaves).
    std::unordered_map<const long double*, std::size_t> producer;
    for (std::size_t i = 0; i < operations_.size(); ++i)
        producer.emplace(operations_[i].Dest, i);
    for (std::size_t i = 0; i < operations_.size(); ++i) {
        const TOperation& record = operations_[i];
        Node node;
        node.record = &record;
        if (record.Kind == okFunction1 || record.Kind == okFunction2) {
            if (!BuiltinNodeType(record, node.type)) throw GiveUp();
        } else if (IsBinaryKind(record.Kind) || IsUnaryKind(record.Kind)) {
            node.type = OperatorNodeType(record.Kind);
        } else {
            throw GiveUp();
        }
        node.left = Operand(record.Arg1, i, producer);
        if (IsBinaryKind(record.Kind)) node.right = Operand(record.Arg2, i, producer);
        nodes_.push_back(node);
        const int index = static_cast<int>(nodes_.size() - 1);
        unreadResults_[i] = index;
        recordNodes_[i] = static_cast<std::size_t>(index);
        Prepare(index);
    }
    // Every result but the last must have been read.
    for (std::size_t i = 0; i + 1 < operations_.size(); ++i) {
        if (unreadResults_[i] >= 0) throw GiveUp();
    }
    if (unreadResults_.back() != static_cast<int>(nodes_.size() - 1)) throw GiveUp();
}

// Folds what the evaluation program folds, and works out what the register
// allocation needs to know.
void MachineCodeGenerator::Prepare(int index)
{
    Node& node = nodes_[static_cast<std::size_t>(index)];
    const Node* left = &nodes_[static_cast<std::size_t>(node.left)];
    const Node* right = node.right >= 0 ? &nodes_[static_cast<std::size_t>(node.right)] : nullptr;
    const bool leftConstant = left->type == NodeType::Constant;
    const bool rightConstant = !right || right->type == NodeType::Constant;
    if (leftConstant && rightConstant) {
        long double value;
        if (FoldOperation(node.record->Kind, left->value, right ? right->value : 0, value)) {
            node.type = NodeType::Constant;
            node.value = value;
            node.left = node.right = -1;
            return;
        }
    }
    if (node.type == NodeType::Divide && rightConstant && right->value == 0) throw GiveUp(); // always fails
    if ((node.type == NodeType::Modulo || node.type == NodeType::IntDivide) && rightConstant) {
        std::int64_t divisor;
        if (!TruncatedConstant(right->value, divisor) || divisor == 0) throw GiveUp(); // always fails
    }

    node.hasCall = left->hasCall || (right && right->hasCall) || node.type == NodeType::Sine ||
                   node.type == NodeType::Cosine || node.type == NodeType::Routine;
    double unused;
    switch (node.type) {
    case NodeType::Add:
    case NodeType::Subtract:
    case NodeType::Multiply:
    case NodeType::Divide:
        if (IsDoubleConstant(node.right, unused)) {
            node.need = left->need;
        } else if (IsDoubleConstant(node.left, unused)) {
            node.need = std::max(right->need, node.type == NodeType::Divide ? 2 : 1);
        } else {
            node.need = left->need == right->need ? left->need + 1 : std::max(left->need, right->need);
            if (node.type == NodeType::Divide) node.need = std::max(node.need, 3);
        }
        break;
    case NodeType::Modulo:
    case NodeType::IntDivide:
        node.need = rightConstant
                        ? left->need
                        : (left->need == right->need ? left->need + 1 : std::max(left->need, right->need));
        break;
    case NodeType::Cube:
        node.need = std::max(left->need, 2);
        break;
    case NodeType::Routine:
        node.need = std::max(left->need, right ? right->need : 1);
        break;
    default:
        node.need = left->need;
        break;
    }
}

bool MachineCodeGenerator::IsDoubleConstant(int index, double& value) const
{
    if (index < 0) return false;
    const Node& node = nodes_[static_cast<std::size_t>(index)];
    return node.type == NodeType::Constant && ExactDouble(node.value, value);
}

bool MachineCodeGenerator::IsNonZeroConstant(int index) const
{
    const Node& node = nodes_[static_cast<std::size_t>(index)];
    return node.type == NodeType::Constant && node.value != 0 && std::isfinite(node.value);
}

// A domain error at record i returns the cell of record i + 1 (its own when
// it is the last) as the last successful evaluation left it. Native code
// keeps such results aside and writes them only once it has succeeded, so a
// bail leaves those cells exactly as the evaluation program expects them.
void MachineCodeGenerator::MarkDomainReturnCells()
{
    std::unordered_set<std::size_t> marked;
    for (std::size_t i = 0; i < operations_.size(); ++i) {
        const Node& node = nodes_[recordNodes_[i]];
        bool mayFail = false;
        switch (node.type) {
        case NodeType::Divide:
        case NodeType::Modulo:
        case NodeType::IntDivide:
            mayFail = !(nodes_[static_cast<std::size_t>(node.right)].type == NodeType::Constant);
            break;
        case NodeType::Routine:
            mayFail = true;
            break;
        default:
            break;
        }
        if (!mayFail) continue;
        const std::size_t returned = i + 1 < operations_.size() ? i + 1 : i;
        if (!marked.insert(returned).second) continue;
        // A folded result is in its shadow from the start; others are written there when computed.
        Node& target = nodes_[recordNodes_[returned]];
        long double* shadow = const_cast<long double*>(KeepExtended(target.value));
        if (target.type != NodeType::Constant) target.domainReturnCell = shadow;
        copiesOnSuccess_.push_back({shadow, operations_[returned].Dest});
    }
}

const double* MachineCodeGenerator::KeepDouble(double value)
{
    target_.doubles_.push_back(value);
    return &target_.doubles_.back();
}

const long double* MachineCodeGenerator::KeepExtended(long double value)
{
    target_.extendeds_.push_back(value);
    return &target_.extendeds_.back();
}

void MachineCodeGenerator::Push()
{
    if (++depth_ > kStackRegisters) throw GiveUp();
}

void MachineCodeGenerator::PopStack(int count)
{
    depth_ -= count;
}

void MachineCodeGenerator::LoadConstant(long double value)
{
    double narrowed;
    if (value == 0 && !std::signbit(value)) {
        assembler_.LoadZero();
    } else if (value == 1) {
        assembler_.LoadOne();
    } else if (ExactDouble(value, narrowed)) {
        assembler_.MoveToRax(KeepDouble(narrowed));
        assembler_.LoadDoubleAtRax();
    } else {
        assembler_.MoveToRax(KeepExtended(value));
        assembler_.LoadExtendedAtRax();
    }
    Push();
}

// Bails unless st(position) is finite: x - x is NaN exactly for inf and NaN.
void MachineCodeGenerator::CheckFinite(int position)
{
    assembler_.Duplicate(position);
    Push();
    assembler_.SubtractFromTop(0);
    assembler_.CompareAndPop(0);
    PopStack();
    assembler_.JumpIfUnordered(Bail());
}

// Bails unless st(position) is finite and not zero: a zero divisor is the
// routine's domain error, an infinite one would hide the fault that made it.
void MachineCodeGenerator::CheckDivisor(int position)
{
    CheckFinite(position);
    assembler_.LoadZero();
    Push();
    assembler_.CompareAndPop(position + 1);
    PopStack();
    assembler_.JumpIfEqual(Bail());
}

void MachineCodeGenerator::Generate(int index)
{
    const Node& node = nodes_[static_cast<std::size_t>(index)];
    switch (node.type) {
    case NodeType::Constant:
        LoadConstant(node.value);
        return; // a folded result's shadow holds it already
    case NodeType::Variable:
        if (const auto found = pinned_.find(node.cell); found != pinned_.end()) {
            assembler_.Duplicate(depth_ - 1 - found->second);
        } else {
            assembler_.MoveToRax(node.cell);
            assembler_.LoadExtendedAtRax();
        }
        Push();
        break;
    case NodeType::Negate:
        Generate(node.left);
        assembler_.ChangeSign();
        break;
    case NodeType::Absolute:
        Generate(node.left);
        assembler_.Absolute();
        break;
    case NodeType::Square:
        Generate(node.left);
        assembler_.MultiplyTop(0);
        break;
    case NodeType::Cube: // (x * x) * x
        Generate(node.left);
        assembler_.Duplicate(0);
        Push();
        assembler_.MultiplyTop(0);
        assembler_.MultiplyAndPop();
        PopStack();
        break;
    case NodeType::Fourth: // (x * x) * (x * x)
        Generate(node.left);
        assembler_.MultiplyTop(0);
        assembler_.MultiplyTop(0);
        break;
    case NodeType::Sine:
    case NodeType::Cosine:
    case NodeType::Routine:
        GenerateCall(node);
        break;
    default:
        GenerateBinary(node);
        break;
    }
    if (node.domainReturnCell) {
        assembler_.Duplicate(0);
        Push();
        assembler_.MoveToRax(node.domainReturnCell);
        assembler_.StoreExtendedAtRaxAndPop();
        PopStack();
    }
}

// Calls need an empty register stack (the ABI has every x87 register
// caller-saved); the operand order below guarantees that: a subtree with a
// call is generated first, or its sibling's value is spilled to the frame.
void MachineCodeGenerator::GenerateCall(const Node& node)
{
    if (depth_ != 0) throw GiveUp(); // cannot happen with the ordering below
    if (node.type != NodeType::Routine) {
        // The argument by address: a variable's own cell, or the frame.
        const Node& argument = nodes_[static_cast<std::size_t>(node.left)];
        if (argument.type == NodeType::Variable) {
            assembler_.MoveToRdi(argument.cell);
        } else {
            Generate(node.left);
            assembler_.StoreExtendedInFrameAndPop(kArgument);
            PopStack();
            assembler_.PointRdiToFrame(kArgument);
        }
        assembler_.MoveToRax(reinterpret_cast<const void*>(
            node.type == NodeType::Sine ? FastSinAtFunction() : FastCosAtFunction()));
        assembler_.CallRax();
        Push();
        return;
    }
    // A copy of the record that reads leaves from their own cells, and computed
    // operands and its result from cells of its own.
    TOperation& call = target_.routineCalls_.emplace_back();
    call.Routine = node.record->Routine;
    call.Kind = node.record->Kind;
    long double** arguments[] = {&call.Arg1, &call.Arg2};
    const int operands[] = {node.left, node.right};
    for (int k = 0; k < 2; ++k) {
        if (operands[k] < 0) continue;
        const Node& operand = nodes_[static_cast<std::size_t>(operands[k])];
        if (operand.type == NodeType::Variable) {
            *arguments[k] = const_cast<long double*>(operand.cell);
            continue;
        }
        long double* cell = const_cast<long double*>(KeepExtended(operand.value));
        *arguments[k] = cell;
        if (operand.type == NodeType::Constant) continue;
        Generate(operands[k]);
        CheckFinite(0); // a fault in the operand must not vanish in the call
        assembler_.MoveToRax(cell);
        assembler_.StoreExtendedAtRaxAndPop();
        PopStack();
    }
    call.Dest = const_cast<long double*>(KeepExtended(0));
    assembler_.MoveToRdi(&call);
    assembler_.MoveToRax(reinterpret_cast<const void*>(RunRoutineCall));
    assembler_.CallRax();
    assembler_.TestAl();
    assembler_.JumpIfEqual(Bail());
    assembler_.MoveToRax(call.Dest);
    assembler_.LoadExtendedAtRax();
    Push();
}

void MachineCodeGenerator::GenerateBinary(const Node& node)
{
    if (node.type == NodeType::Modulo || node.type == NodeType::IntDivide) {
        GenerateIntegerOperation(node);
        return;
    }
    double constant;
    if (IsDoubleConstant(node.right, constant)) {
        GenerateWithDoubleOperand(node, false, KeepDouble(constant));
        return;
    }
    if (IsDoubleConstant(node.left, constant)) {
        GenerateWithDoubleOperand(node, true, KeepDouble(constant));
        return;
    }
    GenerateArithmetic(node, GenerateOperands(node));
}

// Both operands onto the stack; true when the left one ends on top.
bool MachineCodeGenerator::GenerateOperands(const Node& node)
{
    const Node& left = nodes_[static_cast<std::size_t>(node.left)];
    const Node& right = nodes_[static_cast<std::size_t>(node.right)];
    if (left.hasCall && right.hasCall) {
        Generate(node.left);
        const std::int32_t spill = kSpills + 16 * spills_;
        maxSpills_ = std::max(maxSpills_, ++spills_);
        assembler_.StoreExtendedInFrameAndPop(spill);
        PopStack();
        Generate(node.right);
        assembler_.LoadExtendedFromFrame(spill);
        Push();
        --spills_;
        return true;
    }
    // A call needs the stack empty; otherwise the operand needing more registers goes first.
    if (right.hasCall || (!left.hasCall && right.need > left.need)) {
        Generate(node.right);
        Generate(node.left);
        return true;
    }
    Generate(node.left);
    Generate(node.right);
    return false;
}

void MachineCodeGenerator::GenerateArithmetic(const Node& node, bool leftOnTop)
{
    switch (node.type) {
    case NodeType::Add:
        assembler_.AddAndPop();
        break;
    case NodeType::Multiply:
        assembler_.MultiplyAndPop();
        break;
    case NodeType::Subtract:
        leftOnTop ? assembler_.SubtractReversedAndPop() : assembler_.SubtractAndPop();
        break;
    default: // Divide
        if (!IsNonZeroConstant(node.right)) CheckDivisor(leftOnTop ? 1 : 0);
        leftOnTop ? assembler_.DivideReversedAndPop() : assembler_.DivideAndPop();
        break;
    }
    PopStack();
}

// One operand is a literal a double holds: the instruction takes it from memory.
void MachineCodeGenerator::GenerateWithDoubleOperand(const Node& node, bool constantIsLeft,
                                                     const double* constant)
{
    Generate(constantIsLeft ? node.right : node.left);
    if (node.type == NodeType::Divide && constantIsLeft) CheckDivisor(0);
    assembler_.MoveToRax(constant);
    switch (node.type) {
    case NodeType::Add:
        assembler_.AddDoubleAtRax();
        break;
    case NodeType::Multiply:
        assembler_.MultiplyDoubleAtRax();
        break;
    case NodeType::Subtract:
        constantIsLeft ? assembler_.SubtractFromDoubleAtRax() : assembler_.SubtractDoubleAtRax();
        break;
    default: // Divide; a constant divisor is not zero (Prepare gives up on that)
        constantIsLeft ? assembler_.DivideDoubleAtRax() : assembler_.DivideByDoubleAtRax();
        break;
    }
}

// MOD and DIV on the 64-bit truncations (fisttp truncates whatever the
// rounding mode). Out of range, NaN and infinity all truncate to -2^63, which
// bails, as do a zero divisor and -2^63 itself (whose DIV by -1 overflows).
void MachineCodeGenerator::GenerateIntegerOperation(const Node& node)
{
    const Node& right = nodes_[static_cast<std::size_t>(node.right)];
    std::int64_t divisor = 0;
    const bool constantDivisor = right.type == NodeType::Constant && TruncatedConstant(right.value, divisor);
    if (constantDivisor) {
        Generate(node.left);
        assembler_.TruncateIntoFrameAndPop(kInteger1);
        PopStack();
    } else {
        const bool leftOnTop = GenerateOperands(node);
        assembler_.TruncateIntoFrameAndPop(leftOnTop ? kInteger1 : kInteger2);
        assembler_.TruncateIntoFrameAndPop(leftOnTop ? kInteger2 : kInteger1);
        PopStack(2);
    }
    assembler_.LoadRaxFromFrame(kInteger1);
    assembler_.MoveToRdx(std::numeric_limits<std::int64_t>::min());
    assembler_.CompareRaxWithRdx();
    assembler_.JumpIfEqual(Bail());
    if (constantDivisor) {
        assembler_.MoveToRcx(divisor);
    } else {
        assembler_.LoadRcxFromFrame(kInteger2);
        assembler_.CompareRcxWithRdx();
        assembler_.JumpIfEqual(Bail());
        assembler_.TestRcx();
        assembler_.JumpIfEqual(Bail());
    }
    assembler_.SignExtendRax();
    assembler_.DivideRdxRaxByRcx();
    if (node.type == NodeType::Modulo)
        assembler_.StoreRdxInFrame(kInteger1);
    else
        assembler_.StoreRaxInFrame(kInteger1);
    assembler_.LoadIntegerFromFrame(kInteger1);
    Push();
}

std::vector<std::uint8_t> MachineCodeGenerator::Emit(bool pinVariables)
{
    assembler_ = X87Assembler();
    depth_ = spills_ = maxSpills_ = 0;
    pinned_.clear();
    for (auto& label : bail_)
        label = assembler_.NewLabel();
    // On entry RSP is 8 past a 16-byte boundary; the frame realigns it for calls.
    const std::size_t frameSizeAt = assembler_.SubtractFromRspPatchable();

    const Node& root = nodes_.back();
    if (pinVariables && !root.hasCall) {
        std::unordered_map<const long double*, int> reads;
        for (const Node& node : nodes_) {
            if (node.type == NodeType::Variable && ++reads[node.cell] == 2) {
                pinned_.emplace(node.cell, depth_);
                assembler_.MoveToRax(node.cell);
                assembler_.LoadExtendedAtRax();
                Push();
            }
        }
    }
    Generate(static_cast<int>(nodes_.size() - 1));
    // Whatever went wrong on the way shows in the result, except where a
    // divisor, a truncation or a call absorbed it: those were checked there.
    CheckFinite(0);
    for (std::size_t i = 0; i < pinned_.size(); ++i) {
        assembler_.PopBelowTop();
        PopStack();
    }
    for (const Copy& copy : copiesOnSuccess_) {
        assembler_.MoveToRax(copy.shadow);
        assembler_.LoadExtendedAtRax();
        Push();
        assembler_.MoveToRax(copy.cell);
        assembler_.StoreExtendedAtRaxAndPop();
        PopStack();
    }
    const std::int32_t frameSize = kSpills + 16 * maxSpills_ + 8;
    assembler_.AddToRsp(frameSize);
    assembler_.Return();

    // Bailing from depth d pops d registers and returns NaN.
    for (int d = kStackRegisters; d > 0; --d) {
        assembler_.Bind(bail_[d]);
        assembler_.Pop();
    }
    assembler_.Bind(bail_[0]);
    assembler_.MoveToRax(KeepDouble(std::numeric_limits<double>::quiet_NaN()));
    assembler_.LoadDoubleAtRax();
    assembler_.AddToRsp(frameSize);
    assembler_.Return();
    assembler_.Patch32(frameSizeAt, frameSize);
    return assembler_.Finish();
}

TMachineCode::TMachineCode() = default;
TMachineCode::~TMachineCode() = default;

std::unique_ptr<TMachineCode> TMachineCode::Compile(const std::vector<TOperation>& operations,
                                                    const std::deque<long double>& cells)
{
#if defined(__x86_64__) && defined(__linux__)
    static const bool hasTruncatingStore = __builtin_cpu_supports("sse3");
    if (!hasTruncatingStore || !MachineCodeAllowed()) return nullptr;
    std::unique_ptr<TMachineCode> code(new TMachineCode());
    try {
        MachineCodeGenerator generator(operations, cells, *code);
        generator.BuildTree();
        generator.MarkDomainReturnCells();
        std::vector<std::uint8_t> bytes;
        try {
            bytes = generator.Emit(true);
        } catch (const GiveUp&) {
            bytes = generator.Emit(false);
        }
        code->memory_ = ExecutableMemory::Load(bytes);
    } catch (const GiveUp&) {
        return nullptr;
    }
    if (!code->memory_) return nullptr;
    code->entry_ = reinterpret_cast<Entry>(const_cast<void*>(code->memory_->Start()));
    return code;
#else
    (void)operations;
    (void)cells;
    return nullptr;
#endif
}

void AllowMachineCode(bool allowed) noexcept
{
    MachineCodeSwitch().store(allowed, std::memory_order_relaxed);
}

bool MachineCodeAllowed() noexcept
{
    return MachineCodeSwitch().load(std::memory_order_relaxed);
}

bool SwitchesMachineCodeOff(const char* value) noexcept
{
    return value && *value && std::string_view(value) != "0";
}

} // namespace ondrix::parser
