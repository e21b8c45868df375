#include "BenchFormulas.h"

#include "parser/MDParser.h"

#include <cmath>
#include <cstdint>
#include <random>

namespace ondrix::bench {

namespace {

long double ModTrunc(long double x, long double y)
{
    return static_cast<long double>(static_cast<std::int64_t>(x) % static_cast<std::int64_t>(y));
}

long double SineFloor(long double x, long double b)
{
    return std::sin(x) * (b * 0.75L);
}

long double TriangleFloor(long double x, long double b)
{
    return 4 * b / 5 * std::fabs(ModTrunc(ModTrunc(x - 5.0L / 4, 5) + 5, 5) - 5.0L / 2) - b;
}

long double QuadraticFloor(long double x, long double b)
{
    return b * x * x + 3 * x - 2;
}

// Random expression trees of a given text budget; leaves are short.
class ExpressionGenerator
{
  public:
    explicit ExpressionGenerator(std::uint32_t seed) : random_(seed) {}

    std::string Make(std::size_t budget)
    {
        if (budget < 12) return Leaf();
        const int choice = Pick(10);
        if (choice < 2) {
            static const char* const kCalls[] = {"SIN", "COS", "ABS", "SQRT", "EXP", "ARCTAN"};
            const std::string name = kCalls[Pick(6)];
            return name + "(" + Make(budget - name.size() - 2) + ")";
        }
        if (choice == 2) return "MAX(" + Make(budget / 2 - 3) + "," + Make(budget - budget / 2 - 3) + ")";
        static const char* const kOperators[] = {"+", "-", "*", "/", "MOD", "DIV"};
        const std::string op = kOperators[Pick(choice < 8 ? 4 : 6)];
        const std::size_t inner = budget - 2 - op.size();
        const std::size_t left = inner * (30 + Pick(41)) / 100;
        return "(" + Make(left) + op + Make(inner - left) + ")";
    }

  private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    std::string Leaf()
    {
        switch (Pick(5)) {
        case 0:
            return "X";
        case 1:
            return "B";
        case 2:
            return "PI";
        case 3:
            return std::to_string(Pick(90) + 10) + "." + std::to_string(Pick(9) + 1);
        default:
            return "X^2";
        }
    }
    std::mt19937 random_;
};

bool CompilesWithinLimits(const std::string& text)
{
    TMDParser parser;
    try {
        return parser.CompileExpression(text);
    } catch (const EMathParserError&) {
        return false;
    }
}

} // namespace

const std::vector<ReferenceFormula>& ReferenceFormulas()
{
    static const std::vector<ReferenceFormula> formulas = {
        {"sine", "sin(x)*(b*0.75)", "sin(x)*(b*0.75)", SineFloor},
        {"triangle", "4*b/5*abs((((x-5/4)mod5)+5)mod5-5/2)-b", "4*b/5*abs((((x-5/4) mod 5)+5) mod 5-5/2)-b",
         TriangleFloor},
        {"quadratic", "b*x*x+3*x-2", "b*x*x+3*x-2", QuadraticFloor},
    };
    return formulas;
}

const std::vector<std::string>& PanelSeries()
{
    static const std::vector<std::string> series = {
        "timer(0)*(sin(x)*(b*0.75))",
        "timer(0)*((b*odd(x))-(b/2))",
        "timer(0)*(4*b/5*abs((((x-5/4)mod5)+5)mod5-5/2)-b)",
        "timer(0)*(xmod4)",
        "timer(0)*(rnd(b)-(b/2))",
        "timer(3)*(((b*odd(x))-(b/2))+1)",
        "0",
    };
    return series;
}

std::string GeneratedExpression(std::size_t length)
{
    const auto distance = [length](const std::string& s) {
        return s.size() > length ? s.size() - length : length - s.size();
    };
    std::string best;
    for (std::uint32_t seed = 1; seed < 400; ++seed) {
        // The leaves come out shorter than their share, so aim a little higher.
        for (double scale : {1.0, 1.15, 1.3, 1.5, 1.7, 2.0}) {
            ExpressionGenerator generator(seed * 7919u + static_cast<std::uint32_t>(length));
            std::string text = generator.Make(static_cast<std::size_t>(static_cast<double>(length) * scale));
            if (!CompilesWithinLimits(text)) continue;
            if (best.empty() || distance(text) < distance(best)) best = text;
        }
        if (!best.empty() && distance(best) * 50 <= length) break;
    }
    return best;
}

} // namespace ondrix::bench
