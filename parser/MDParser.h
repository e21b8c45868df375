// The formula engine: a compiler from one-line arithmetic text to a flat list of
// operation records, and the parser component that owns variables, functions and
// the compiled list. Values are 80-bit extended precision ("value cells").
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

struct TOperation;

// A routine that performs one operation: reads *Arg1 (and *Arg2), writes *Dest
// or sets MathError. Holds either a plain function or any callable (which may
// capture its host's state, e.g. a window's timers).
class TMathRoutine
{
  public:
    using Function = void (*)(TOperation&);

    TMathRoutine() noexcept = default;
    TMathRoutine(Function function) noexcept : function_(function) {}
    template <typename Callable>
    requires(std::is_invocable_v<Callable&, TOperation&> &&
             !std::is_same_v<std::decay_t<Callable>, TMathRoutine>) TMathRoutine(Callable callable)
    {
        if constexpr (std::is_convertible_v<Callable, Function>)
            function_ = static_cast<Function>(callable);
        else
            callable_ = std::move(callable);
    }

    void operator()(TOperation& operation) const
    {
        if (function_)
            function_(operation);
        else
            callable_(operation);
    }
    explicit operator bool() const noexcept { return function_ != nullptr || static_cast<bool>(callable_); }
    // The plain function, or null when the routine is a general callable.
    Function PlainFunction() const noexcept { return function_; }

  private:
    Function function_ = nullptr;
    std::function<void(TOperation&)> callable_;
};

// One compiled operation; the records of a compiled expression form a singly
// linked list in evaluation order.
struct TOperation
{
    long double* Arg1 = nullptr;
    long double* Arg2 = nullptr;
    long double* Dest = nullptr;
    TOperation* Next = nullptr;
    TMathRoutine Routine;
    std::uint8_t Kind = 0;
    bool MathError = false;
    // Set for routines given through AddFunction: their results are checked
    // for floating-point faults by the evaluation walk (built-ins check themselves).
    bool CheckResult = false;
};

// Term kind codes of TOperation::Kind.
enum : std::uint8_t {
    okVariable = 0,
    okNumber = 1,
    okNegation = 2,
    okSum = 3,
    okDifference = 4,
    okProduct = 5,
    okQuotient = 6,
    okModulo = 7,
    okIntDivide = 8,
    okIntPower = 9,
    okPower = 10,
    okSquare = 11,
    okCube = 12,
    okFourthPower = 13,
    okFunction1 = 14,
    okFunction2 = 15,
};

// Compile errors. what() is the exact message.
class EMathParserError : public std::exception
{
  public:
    explicit EMathParserError(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }
    virtual const char* ClassName() const noexcept { return "EMathParserError"; }

  private:
    std::string message_;
};

#define ONDRIX_PARSER_ERROR_CLASS(Name)                                                                      \
    class Name : public EMathParserError                                                                     \
    {                                                                                                        \
      public:                                                                                                \
        using EMathParserError::EMathParserError;                                                            \
        const char* ClassName() const noexcept override { return #Name; }                                    \
    };
ONDRIX_PARSER_ERROR_CLASS(EExpressionHasBlanks)
ONDRIX_PARSER_ERROR_CLASS(EMissMatchingBracket)
ONDRIX_PARSER_ERROR_CLASS(ESyntaxError)
ONDRIX_PARSER_ERROR_CLASS(ETooManyNestings)
ONDRIX_PARSER_ERROR_CLASS(EExpressionTooComplex)
ONDRIX_PARSER_ERROR_CLASS(EParserInternalError)
ONDRIX_PARSER_ERROR_CLASS(EBadName)
#undef ONDRIX_PARSER_ERROR_CLASS

// Adding a function name that is already in the table.
class EDuplicateFunction : public std::exception
{
  public:
    const char* what() const noexcept override { return "String list does not allow duplicates"; }
    const char* ClassName() const noexcept { return "EDuplicateFunction"; }
};

// A floating-point fault during evaluation that no domain check catches:
// overflow, division by zero or an invalid operation. Ends the evaluation.
class EMathFault : public std::exception
{
  public:
    enum class Kind { Overflow, ZeroDivide, InvalidOperation };
    explicit EMathFault(Kind kind) noexcept : kind_(kind) {}
    const char* what() const noexcept override;
    const char* ClassName() const noexcept { return "EMathFault"; }
    Kind FaultKind() const noexcept { return kind_; }

  private:
    Kind kind_;
};

class TMDCustomParser;
// Compile-error handler: Sender is the parser, E the exception raised.
using TMDParserExceptionEvent = std::function<void(TMDCustomParser* Sender, const std::exception& E)>;

class TCompiledExpression;

// Holds a compiled expression with the tables it was compiled against.
class TMDCustomParser
{
  public:
    explicit TMDCustomParser(const void* owner = nullptr);
    virtual ~TMDCustomParser();
    TMDCustomParser(const TMDCustomParser&) = delete;
    TMDCustomParser& operator=(const TMDCustomParser&) = delete;

    const void* Owner() const noexcept { return owner_; }

    // True when the text compiled. Compile errors raise the EMathParserError
    // family unless OnParserError is assigned (then the handler gets them).
    bool CompileExpression(const std::string& text);
    // Evaluates the compiled list; 0 when nothing is compiled. Floating-point
    // faults raise EMathFault; exceptions of added routines pass through.
    long double Value();
    bool CalcError() const noexcept { return calcError_; }
    bool IsCompiled() const noexcept;
    // Head of the compiled list (null when nothing is compiled).
    const TOperation* Operations() const noexcept;

    const std::string& Expression() const noexcept { return expression_; }
    void SetExpression(const std::string& text);
    bool PointNumberformat() const noexcept { return pointNumberformat_; }
    void SetPointNumberformat(bool value) noexcept { pointNumberformat_ = value; }
    const TMDParserExceptionEvent& OnParserError() const noexcept { return onParserError_; }
    void SetOnParserError(TMDParserExceptionEvent handler) { onParserError_ = std::move(handler); }

    // Returns the variable's cell; the pointer stays valid for the parser's life.
    long double* DefineVariable(const std::string& name, long double value);
    // Adds a one-argument function.
    void AddFunction(const std::string& name, TMathRoutine routine);

    using VariableTable = std::map<std::string, long double*, std::less<>>;
    using FunctionTable = std::map<std::string, TMathRoutine, std::less<>>;
    const VariableTable& Variables() const noexcept { return variables_; }
    const FunctionTable& Functions1() const noexcept { return functions1_; }
    const FunctionTable& Functions2() const noexcept { return functions2_; }

  protected:
    void AddFunction2(const std::string& name, TMathRoutine routine);
    void AddBuiltinFunction1(const std::string& name, TMathRoutine routine);
    // The component's own cells for the single letters A..E, T, X, Y.
    long double* OwnCell(std::string_view upperName) noexcept;

    long double a_ = 0, b_ = 0, c_ = 0, d_ = 0, e_ = 0, x_ = 0, y_ = 0, t_ = 0;

  private:
    void ReleaseList() noexcept;
    // Value() through the portable evaluator, where there is no native code
    // (yet: this makes it) or it bailed. Kept out of line so that the common
    // path stays a few instructions.
    long double PortableValue();

    const void* owner_ = nullptr;
    bool calcError_ = false;
    bool pointNumberformat_ = true;
    std::string expression_;
    VariableTable variables_;
    std::vector<std::unique_ptr<long double>> definedCells_;
    FunctionTable functions1_;
    FunctionTable functions2_;
    TMDParserExceptionEvent onParserError_;
    std::unique_ptr<TCompiledExpression> compiled_;
};

// Ready to use: the variables A, B, C, D, E, X, Y, T and the thirty built-ins.
class TMDParser : public TMDCustomParser
{
  public:
    explicit TMDParser(const void* owner = nullptr);

    long double A() const noexcept { return a_; }
    long double B() const noexcept { return b_; }
    long double C() const noexcept { return c_; }
    long double D() const noexcept { return d_; }
    long double E() const noexcept { return e_; }
    long double T() const noexcept { return t_; }
    long double X() const noexcept { return x_; }
    long double Y() const noexcept { return y_; }
    void SetA(long double value) noexcept { a_ = value; }
    void SetB(long double value) noexcept { b_ = value; }
    void SetC(long double value) noexcept { c_ = value; }
    void SetD(long double value) noexcept { d_ = value; }
    void SetE(long double value) noexcept { e_ = value; }
    void SetT(long double value) noexcept { t_ = value; }
    void SetX(long double value) noexcept { x_ = value; }
    void SetY(long double value) noexcept { y_ = value; }
};

// The process-wide pseudo-random generator behind RND and RANDOM.
void SeedRandom(std::uint32_t seed);
void RandomizeFromClock();
long double RandomFraction();             // uniform in [0, 1)
std::int32_t RandomBelow(std::int32_t n); // uniform in [0, n), 0 when n <= 0
