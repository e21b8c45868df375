#include "parser/TermChecks.h"

#include "parser/NumberLiteral.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace ondrix::parser {

namespace {

constexpr ClassSet kCalls = Bit(tcCall1) | Bit(tcCall2);
constexpr ClassSet kOperands = Bit(tcVariable) | Bit(tcNumber) | Bit(tcBracketed);
constexpr ClassSet kDivisionLike = Bit(tcIntDivide) | Bit(tcModulo) | Bit(tcQuotient);

constexpr ClassSet kLeftOfSum =
    kOperands | Bit(tcNegation) | Bit(tcDifference) | Bit(tcProduct) | kDivisionLike | Bit(tcPower) | kCalls;
constexpr ClassSet kLeftOfProduct = kOperands | Bit(tcNegation) | kDivisionLike | Bit(tcPower) | kCalls;
constexpr ClassSet kRightOfSum =
    kOperands | Bit(tcSum) | Bit(tcDifference) | Bit(tcProduct) | kDivisionLike | Bit(tcPower) | kCalls;
constexpr ClassSet kRightOfDifference = kOperands | Bit(tcProduct) | kDivisionLike | Bit(tcPower) | kCalls;
constexpr ClassSet kRightOfQuotient = kOperands | Bit(tcPower) | kCalls;
constexpr ClassSet kPowerOperand = kOperands | kCalls;

// Which operator characters (bits of TermChecks::HardOperator: + - * / ^) an
// operand of each class set can never hold outside brackets, except as its
// first character: follows from the class tables by induction.
constexpr unsigned kNoSum = 1u << 0;
constexpr unsigned kNoSumOrDifference = kNoSum | 1u << 1;
constexpr unsigned kNoProduct = kNoSumOrDifference | 1u << 2;
constexpr unsigned kNoQuotient = kNoProduct | 1u << 3;
constexpr unsigned kNoPower = kNoQuotient | 1u << 4;

constexpr OperatorInfo kOperators[opCount] = {
    {tcSum, "+", kLeftOfSum, kRightOfSum, kNoSum, 0},
    {tcDifference, "-", kLeftOfSum, kRightOfDifference, kNoSum, kNoSumOrDifference},
    {tcProduct, "*", kLeftOfProduct, kRightOfDifference, kNoProduct, kNoSumOrDifference},
    {tcIntDivide, "DIV", kLeftOfProduct, kRightOfQuotient, kNoProduct, kNoQuotient},
    {tcModulo, "MOD", kLeftOfProduct, kRightOfQuotient, kNoProduct, kNoQuotient},
    {tcQuotient, "/", kLeftOfProduct, kRightOfQuotient, kNoProduct, kNoQuotient},
    {tcPower, "^", kPowerOperand, kPowerOperand, kNoPower, kNoPower},
};

// Classes in the order the validity test tries them.
constexpr TermClass kValidityOrder[] = {tcNumber,  tcVariable,  tcNegation, tcSum,      tcDifference,
                                        tcProduct, tcIntDivide, tcModulo,   tcQuotient, tcPower,
                                        tcCall2,   tcCall1,     tcBracketed};

bool IsIdentifierChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Pieces of longer texts are remembered in a hash table instead of a square array.
constexpr std::size_t kDenseLimit = 4096;

} // namespace

const OperatorInfo& InfoOf(Operator op)
{
    return kOperators[op];
}

TermChecks::TermChecks(std::string_view text, const CompileTables& tables, bool memoise)
    : text_(text), tables_(tables), stride_(text.size() + 1), memoise_(memoise)
{
    const std::size_t n = text.size();
    depth_.assign(n + 1, 0);
    nextOpen_.assign(n + 1, static_cast<std::uint32_t>(n));
    identifierEnd_.assign(n + 1, static_cast<std::uint32_t>(n));
    nextShallower_.assign(n + 1, static_cast<std::uint32_t>(n + 1));
    for (std::size_t i = 0; i < n; ++i) {
        depth_[i + 1] = depth_[i] + (text[i] == '(') - (text[i] == ')');
        minDepth_ = std::min(minDepth_, depth_[i + 1]);
    }
    std::vector<std::uint32_t> pending; // positions still waiting for a shallower one
    for (std::size_t p = 0; p <= n; ++p) {
        while (!pending.empty() && depth_[p] < depth_[pending.back()]) {
            nextShallower_[pending.back()] = static_cast<std::uint32_t>(p);
            pending.pop_back();
        }
        pending.push_back(static_cast<std::uint32_t>(p));
    }
    for (std::size_t i = n; i-- > 0;) {
        nextOpen_[i] = text[i] == '(' ? static_cast<std::uint32_t>(i) : nextOpen_[i + 1];
        identifierEnd_[i] = IsIdentifierChar(text[i]) ? identifierEnd_[i + 1] : static_cast<std::uint32_t>(i);
    }
    const std::size_t depths =
        static_cast<std::size_t>(*std::max_element(depth_.begin(), depth_.end()) - minDepth_) + 1;
    for (auto& byDepth : occurrencesByDepth_)
        byDepth.resize(depths);
    for (std::size_t i = 0; i < n; ++i) {
        for (unsigned op = 0; op < opCount; ++op) {
            if (text.substr(i, kOperators[op].symbol.size()) == kOperators[op].symbol) {
                occurrences_[op].push_back(static_cast<std::uint32_t>(i));
                occurrencesByDepth_[op][static_cast<std::size_t>(depth_[i] - minDepth_)].push_back(
                    static_cast<std::uint32_t>(i));
            }
        }
        if (text[i] == ',') commas_.push_back(static_cast<std::uint32_t>(i));
    }
    for (auto& byDepth : hardByDepth_)
        byDepth.resize(depths);
    for (std::size_t i = 1; i < n; ++i) {
        unsigned kind = hoCount;
        switch (text[i]) {
        case '+':
        case '-': {
            // A sign follows an operator (or a bracket or comma); an exponent sign follows "E".
            const char before = text[i - 1];
            const bool afterWord =
                i >= 3 && (text.substr(i - 3, 3) == "DIV" || text.substr(i - 3, 3) == "MOD");
            const bool mayBeSign =
                std::string_view("+-*/^(,E").find(before) != std::string_view::npos || afterWord;
            if (!mayBeSign) kind = text[i] == '+' ? hoPlus : hoMinus;
            break;
        }
        case '*':
            kind = hoTimes;
            break;
        case '/':
            kind = hoSlash;
            break;
        case '^':
            kind = hoCaret;
            break;
        default:
            break;
        }
        if (kind != hoCount)
            hardByDepth_[kind][static_cast<std::size_t>(depth_[i] - minDepth_)].push_back(
                static_cast<std::uint32_t>(i));
    }
    if (memoise && n <= kDenseLimit) {
        dense_ = static_cast<std::uint32_t*>(std::calloc(stride_ * stride_, sizeof(std::uint32_t)));
        if (!dense_) throw std::bad_alloc();
    }
}

TermChecks::~TermChecks()
{
    std::free(dense_);
}

std::uint32_t& TermChecks::Entry(std::size_t b, std::size_t e)
{
    if (dense_) return dense_[b * stride_ + e];
    return sparse_[static_cast<std::uint64_t>(b) * stride_ + e];
}

bool TermChecks::Is(TermClass c, std::size_t b, std::size_t e)
{
    if (b >= e) return false;
    if (!memoise_) return Compute(c, b, e); // literally: no shortcuts at all
    if (!Nested(b, e)) return false;
    const unsigned known = (Entry(b, e) >> (2 * c)) & 3u;
    if (known != 0) return known == 3u;
    const bool result = Compute(c, b, e);
    // Looked up again: computing may have added entries to the hash table.
    Entry(b, e) |= (result ? 3u : 1u) << (2 * c);
    return result;
}

bool TermChecks::IsAnyOf(ClassSet classes, std::size_t b, std::size_t e, bool* asBracketed)
{
    if (asBracketed) *asBracketed = false;
    if (b >= e) return false;
    if ((classes & Bit(tcVariable)) && Is(tcVariable, b, e)) return true;
    if ((classes & Bit(tcNumber)) && Is(tcNumber, b, e)) return true;
    if ((classes & Bit(tcBracketed)) && Is(tcBracketed, b, e)) {
        if (asBracketed) *asBracketed = true;
        return true;
    }
    for (unsigned c = 0; c < tcValid; ++c) {
        const auto termClass = static_cast<TermClass>(c);
        if (termClass == tcVariable || termClass == tcNumber || termClass == tcBracketed) continue;
        if ((classes & Bit(termClass)) && Is(termClass, b, e)) return true;
    }
    return false;
}

bool TermChecks::IsValid(std::size_t b, std::size_t e, bool* asBracketed)
{
    if (asBracketed) *asBracketed = false;
    if (!Is(tcValid, b, e)) return false;
    if (asBracketed) {
        *asBracketed = true;
        for (TermClass c : kValidityOrder) {
            if (c != tcBracketed && Is(c, b, e)) {
                *asBracketed = false;
                break;
            }
        }
    }
    return true;
}

void TermChecks::StripBrackets(std::size_t& b, std::size_t& e)
{
    while (Is(tcBracketed, b, e)) {
        ++b;
        --e;
    }
}

bool TermChecks::Compute(TermClass c, std::size_t b, std::size_t e)
{
    switch (c) {
    case tcNumber:
        return IsNumberLiteral(text_.substr(b, e - b), tables_.pointNumberformat);
    case tcVariable:
        return identifierEnd_[b] >= e &&
               tables_.variables.find(text_.substr(b, e - b)) != tables_.variables.end();
    case tcBracketed:
        return e - b >= 2 && text_[b] == '(' && text_[e - 1] == ')' && Is(tcValid, b + 1, e - 1);
    case tcNegation:
        return text_[b] == '-' && (Is(tcBracketed, b + 1, e) || Is(tcVariable, b + 1, e) ||
                                   Is(tcPower, b + 1, e) || Is(tcCall1, b + 1, e) || Is(tcCall2, b + 1, e));
    case tcSum:
        return SplitExists(opSum, b, e);
    case tcDifference:
        return SplitExists(opDifference, b, e);
    case tcProduct:
        return SplitExists(opProduct, b, e);
    case tcIntDivide:
        return SplitExists(opIntDivide, b, e);
    case tcModulo:
        return SplitExists(opModulo, b, e);
    case tcQuotient:
        return SplitExists(opQuotient, b, e);
    case tcPower:
        return SplitExists(opPower, b, e);
    case tcCall1:
        return IsCall1(b, e);
    case tcCall2:
        return IsCall2(b, e);
    case tcValid:
        for (TermClass candidate : kValidityOrder) {
            if (Is(candidate, b, e)) return true;
        }
        return false;
    case tcCount:
        break;
    }
    return false;
}

bool TermChecks::SplitExists(Operator op, std::size_t b, std::size_t e)
{
    const OperatorInfo& info = kOperators[op];
    const std::size_t width = info.symbol.size();
    // A nested piece (Is checked it) can only be split at its own depth: the
    // occurrences elsewhere leave unbalanced sides and would be passed over.
    const auto& positions = memoise_
                                ? occurrencesByDepth_[op][static_cast<std::size_t>(depth_[b] - minDepth_)]
                                : occurrences_[op];
    std::size_t first = b, last = e; // candidates k with first <= k < last
    if (memoise_) {
        if (width == 1 && text_[b] == info.symbol[0]) return false; // the search would end at once
        // The left operand (b, k) may not hold these after its first character...
        for (unsigned kind = 0; kind < hoCount; ++kind) {
            if (!(info.leftForbids & (1u << kind))) continue;
            const auto& hard = HardAt(kind, b);
            const auto it = std::upper_bound(hard.begin(), hard.end(), b);
            if (it != hard.end() && *it < e) last = std::min<std::size_t>(last, *it + 1);
        }
        // ...and the right operand (k + width, e) none after its first character.
        for (unsigned kind = 0; kind < hoCount; ++kind) {
            if (!(info.rightForbids & (1u << kind))) continue;
            const auto& hard = HardAt(kind, b);
            auto it = std::lower_bound(hard.begin(), hard.end(), e);
            if (it != hard.begin() && *--it > b && *it >= width)
                first = std::max<std::size_t>(first, *it - width);
        }
    }
    for (auto it = std::lower_bound(positions.begin(), positions.end(), first);
         it != positions.end() && *it < e && *it < last; ++it) {
        const std::size_t k = *it;
        if (width == 1) {
            if (k == b || k == e - 1) return false;
        } else {
            if (k == b) continue;
            if (k + width > e) break;
        }
        const std::size_t rightBegin = k + width;
        if (!Balanced(b, k) || !Balanced(rightBegin, e)) continue;
        if (IsAnyOf(info.left, b, k) && IsAnyOf(info.right, rightBegin, e)) return true;
    }
    return false;
}

bool TermChecks::IsCall1(std::size_t b, std::size_t e)
{
    const std::size_t open = nextOpen_[b];
    if (open >= e || open == b) return false;
    const auto& table = tables_.functions1;
    if (table.find(text_.substr(b, open - b)) == table.end()) return false;
    return Is(tcBracketed, open, e);
}

bool TermChecks::IsCall2(std::size_t b, std::size_t e)
{
    const std::size_t open = nextOpen_[b];
    if (open >= e || open == b || text_[e - 1] != ')') return false;
    const auto& table = tables_.functions2;
    if (table.find(text_.substr(b, open - b)) == table.end()) return false;
    const std::size_t argsBegin = open + 1, argsEnd = e - 1;
    for (auto it = std::lower_bound(commas_.begin(), commas_.end(), argsBegin);
         it != commas_.end() && *it < argsEnd; ++it) {
        const std::size_t k = *it;
        if (k == argsBegin || k == argsEnd - 1) return false;
        if (Is(tcValid, argsBegin, k) && Is(tcValid, k + 1, argsEnd)) return true;
    }
    return false;
}

} // namespace ondrix::parser
