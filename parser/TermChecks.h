// The term classes of the formula language as checks on pieces of the prepared
// text. Every check is a pure function of the piece, so each answer is kept:
// the recursive re-validation of every candidate split then costs polynomial
// instead of exponential time, with the very same answers.
#pragma once

#include "parser/ExpressionCompiler.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ondrix::parser {

enum TermClass : unsigned {
    tcNumber,
    tcVariable,
    tcBracketed,
    tcNegation,
    tcSum,
    tcDifference,
    tcProduct,
    tcIntDivide,
    tcModulo,
    tcQuotient,
    tcPower,
    tcCall1,
    tcCall2,
    tcValid,
    tcCount
};

using ClassSet = std::uint32_t;
constexpr ClassSet Bit(TermClass c)
{
    return ClassSet{1} << c;
}

// The operators, in the order the compiler tries them.
enum Operator : unsigned {
    opSum,
    opDifference,
    opProduct,
    opIntDivide,
    opModulo,
    opQuotient,
    opPower,
    opCount
};

struct OperatorInfo
{
    TermClass termClass;
    std::string_view symbol;
    ClassSet left;
    ClassSet right;
    unsigned leftForbids;  // hard operator kinds the left operand cannot hold
    unsigned rightForbids; // and the right operand
};
const OperatorInfo& InfoOf(Operator op);

class TermChecks
{
  public:
    // memoise = false re-validates every time, as the plain algorithm does
    // (exponential; kept to check that remembering changes no answer).
    TermChecks(std::string_view text, const CompileTables& tables, bool memoise = true);
    TermChecks(const TermChecks&) = delete;
    TermChecks& operator=(const TermChecks&) = delete;
    ~TermChecks();

    std::string_view Text() const { return text_; }
    // Does text[b, e) belong to the class?
    bool Is(TermClass c, std::size_t b, std::size_t e);
    // Does it belong to any class of the set? Variable and number are tried
    // first, then bracketed, then the rest; *asBracketed tells whether it
    // passed as bracketed.
    bool IsAnyOf(ClassSet classes, std::size_t b, std::size_t e, bool* asBracketed = nullptr);
    // The validity test; *asBracketed as above.
    bool IsValid(std::size_t b, std::size_t e, bool* asBracketed = nullptr);
    bool Balanced(std::size_t b, std::size_t e) const { return depth_[e] == depth_[b]; }
    // Balanced and never closing a bracket it did not open. Every term of every
    // class is nested like this, so no other piece needs to be examined.
    bool Nested(std::size_t b, std::size_t e) const
    {
        return depth_[e] == depth_[b] && nextShallower_[b] > e;
    }
    // Position of the first "(" at or after b, or the text's length.
    std::size_t FirstOpen(std::size_t b) const { return nextOpen_[b]; }
    // Positions of an operator (start of the word for DIV and MOD), ascending.
    const std::vector<std::uint32_t>& Occurrences(Operator op) const { return occurrences_[op]; }
    const std::vector<std::uint32_t>& Commas() const { return commas_; }
    // Drops enclosing brackets while the piece is bracketed.
    void StripBrackets(std::size_t& b, std::size_t& e);
    const CompileTables& Tables() const { return tables_; }

  private:
    bool Compute(TermClass c, std::size_t b, std::size_t e);
    bool SplitExists(Operator op, std::size_t b, std::size_t e);
    bool IsCall1(std::size_t b, std::size_t e);
    bool IsCall2(std::size_t b, std::size_t e);
    std::uint32_t& Entry(std::size_t b, std::size_t e);

    std::string_view text_;
    const CompileTables& tables_;
    std::size_t stride_;
    // depth_[i]: "(" minus ")" among the first i characters.
    std::vector<std::int32_t> depth_;
    std::int32_t minDepth_ = 0;
    // nextShallower_[i]: the first p > i with depth_[p] < depth_[i], or beyond the end.
    std::vector<std::uint32_t> nextShallower_, nextOpen_, identifierEnd_;
    std::vector<std::uint32_t> occurrences_[opCount];
    // The same occurrences by bracket depth (index depth - minDepth_): only those
    // at the depth of a piece's start can split it.
    std::vector<std::vector<std::uint32_t>> occurrencesByDepth_[opCount];
    // Operator characters that can only be operators where they stand (a "+" or
    // "-" that is no sign or exponent sign, every "*", "/" and "^"), by depth.
    // An operand that may not hold an operator of that kind cannot reach across one.
    enum HardOperator : unsigned { hoPlus, hoMinus, hoTimes, hoSlash, hoCaret, hoCount };
    std::vector<std::vector<std::uint32_t>> hardByDepth_[hoCount];
    const std::vector<std::uint32_t>& HardAt(unsigned kind, std::size_t b) const
    {
        return hardByDepth_[kind][static_cast<std::size_t>(depth_[b] - minDepth_)];
    }
    std::vector<std::uint32_t> commas_;
    bool memoise_;
    std::uint32_t* dense_ = nullptr; // two bits per class for each piece
    std::unordered_map<std::uint64_t, std::uint32_t> sparse_;
};

} // namespace ondrix::parser
