// ondrix-calc 'EXPR' [NAME=VALUE ...]
// Evaluates one formula and prints one line:
//   the value (21 significant digits)          exit 0
//   "math error"                               exit 1
//   "<class>: <message>" for a compile error   exit 2 (also "nothing to evaluate")
//   "<class>: <message>" for a fault           exit 3
#include "parser/MDParser.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kExitValue = 0;
constexpr int kExitMathError = 1;
constexpr int kExitCompileError = 2;
constexpr int kExitFault = 3;

// Carriage returns in messages are shown as the two characters \r.
std::string Printable(const std::string& message)
{
    std::string shown;
    for (char c : message) {
        if (c == '\r')
            shown += "\\r";
        else
            shown += c;
    }
    return shown;
}

int Report(const char* className, const std::string& message, int exitCode)
{
    std::printf("%s: %s\n", className, Printable(message).c_str());
    return exitCode;
}

constexpr const char* kUsage =
    "Usage: ondrix-calc 'EXPR' [NAME=VALUE ...]\n"
    "Evaluates a formula in extended precision and prints its value with 21\n"
    "significant digits. NAME=VALUE sets a variable first (A to E, T, X, Y, or a new\n"
    "name); VALUE is a plain number.\n"
    "\n"
    "Options:\n"
    "  --help    show this text\n"
    "\n"
    "Exit status: 0 the value, 1 \"math error\" (a domain error), 2 the formula does\n"
    "not compile (\"<class>: <message>\", or \"nothing to evaluate\"), a bad VALUE or\n"
    "usage, 3 a floating-point fault (\"EMathFault: <message>\").\n";

int Usage()
{
    std::fputs(kUsage, stderr);
    return kExitCompileError;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return Usage();
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::fputs(kUsage, stdout);
        return kExitValue;
    }
    TMDParser parser;
    try {
        for (int i = 2; i < argc; ++i) {
            const std::string assignment = argv[i];
            const std::size_t equals = assignment.find('=');
            if (equals == std::string::npos) return Usage();
            const std::string valueText = assignment.substr(equals + 1);
            char* end = nullptr;
            const long double value = std::strtold(valueText.c_str(), &end);
            if (valueText.empty() || *end != '\0') {
                std::printf("bad value for %s: %s\n", assignment.substr(0, equals).c_str(),
                            valueText.c_str());
                return kExitCompileError;
            }
            parser.DefineVariable(assignment.substr(0, equals), value);
        }
        if (!parser.CompileExpression(argv[1])) {
            std::printf("nothing to evaluate\n");
            return kExitCompileError;
        }
    } catch (const EMathParserError& error) {
        return Report(error.ClassName(), error.Message(), kExitCompileError);
    } catch (const std::exception& error) {
        return Report("error", error.what(), kExitCompileError);
    }
    try {
        const long double value = parser.Value();
        if (parser.CalcError()) {
            std::printf("math error\n");
            return kExitMathError;
        }
        std::printf("%.21Lg\n", value);
        return kExitValue;
    } catch (const EMathFault& fault) {
        return Report(fault.ClassName(), fault.what(), kExitFault);
    } catch (const std::exception& error) {
        return Report("error", error.what(), kExitFault);
    }
}
