// ondrix-atom: makes, reads and deletes the system-wide tokens that
// "ondrix /atom=N" waits for, so that a shell script can stop a running copy.
#include "platform/GlobalAtoms.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using ondrix::platform::GlobalAtoms;

constexpr int kNotFound = 1;
constexpr int kUsageError = 2;

void PrintUsage(std::FILE* out)
{
    std::fprintf(
        out,
        "Usage: ondrix-atom add NAME      create the token NAME (or count one more use) and print its "
        "number\n"
        "       ondrix-atom name NUMBER   print the name of token NUMBER\n"
        "       ondrix-atom delete NUMBER drop one use of token NUMBER; it disappears at the last\n"
        "Numbers are 49152 to 65535, decimal or hexadecimal after \"$\". Exit code 1 when the token\n"
        "does not exist, 2 on a usage or system error. Tokens are kept in %s.\n",
        GlobalAtoms::DefaultDirectory().c_str());
}

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "ondrix-atom: %s\n", message.c_str());
    PrintUsage(stderr);
    return kUsageError;
}

// Decimal, or hexadecimal after "$"; nullopt when it is not a 16-bit number.
bool ParseAtomNumber(std::string_view text, unsigned& value)
{
    int base = 10;
    if (text.starts_with('$')) {
        text.remove_prefix(1);
        base = 16;
    }
    if (text.empty()) return false;
    const auto [rest, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && rest == text.data() + text.size() && value <= 65535;
}

// A script must not take a lost answer for a token's number or name.
int Flushed()
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
    std::fprintf(stderr, "ondrix-atom: cannot write the answer: %s\n", std::strerror(errno));
    return kUsageError;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        PrintUsage(stdout);
        return 0;
    }
    if (argc != 3) return UsageError(argc < 2 ? "no command given" : "expected a command and one argument");

    const std::string_view command = argv[1];
    const std::string argument = argv[2];
    GlobalAtoms atoms;

    if (command == "add") {
        if (argument.empty() || argument.size() > GlobalAtoms::kMaxNameLength)
            return UsageError("a token name has 1 to 255 bytes");
        std::string why;
        const std::uint16_t atom = atoms.Add(argument, &why);
        if (atom == 0) {
            std::fprintf(stderr, "ondrix-atom: cannot add \"%s\" in %s: %s\n", argument.c_str(),
                         atoms.Directory().c_str(), why.c_str());
            return kUsageError;
        }
        std::printf("%u\n", static_cast<unsigned>(atom));
        return Flushed();
    }
    if (command != "name" && command != "delete")
        return UsageError("unknown command \"" + std::string(command) + "\"");

    unsigned number = 0;
    if (!ParseAtomNumber(argument, number)) return UsageError("\"" + argument + "\" is not a token number");
    const auto atom = static_cast<std::uint16_t>(number);
    if (command == "name") {
        std::string why;
        const std::string name = atoms.Name(atom, &why);
        if (!why.empty()) {
            std::fprintf(stderr, "ondrix-atom: cannot read token %u: %s\n", number, why.c_str());
            return kUsageError;
        }
        if (name.empty()) {
            std::fprintf(stderr, "ondrix-atom: there is no token %u\n", number);
            return kNotFound;
        }
        std::printf("%s\n", name.c_str());
        return Flushed();
    }
    std::string why;
    if (!atoms.Delete(atom, &why)) {
        if (!why.empty()) {
            std::fprintf(stderr, "ondrix-atom: cannot delete token %u: %s\n", number, why.c_str());
            return kUsageError;
        }
        std::fprintf(stderr, "ondrix-atom: there is no token %u\n", number);
        return kNotFound;
    }
    return 0;
}
