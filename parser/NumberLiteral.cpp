#include "parser/NumberLiteral.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace ondrix::parser {

namespace {

constexpr long double kPi = 0xc.90fdaa22168c235p-2L; // 4000 C90FDAA2 2168C235

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view LocaleSeparator()
{
    const char* point = std::localeconv()->decimal_point;
    return point && *point ? std::string_view(point) : std::string_view(".");
}

// Checks the decimal form; on success the text with the separator replaced by ".".
bool MatchDecimal(std::string_view text, std::string_view separator, std::string* normalized)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < n && IsDigit(text[i]))
        ++i, ++digits;
    std::size_t separatorAt = std::string_view::npos;
    if (i < n && text.substr(i, separator.size()) == separator) {
        separatorAt = i;
        i += separator.size();
        while (i < n && IsDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && text[i] == 'E') {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < n && IsDigit(text[i]))
            ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    if (i != n) return false;
    if (normalized) {
        normalized->assign(text);
        if (separatorAt != std::string_view::npos) normalized->replace(separatorAt, separator.size(), ".");
    }
    return true;
}

locale_t ClassicLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

} // namespace

bool IsNumberLiteral(std::string_view text, bool pointFormat)
{
    if (text == "PI" || text == "-PI") return true;
    // A literal starts with a sign, a digit or the separator; anything else fails fast.
    if (text.empty()) return false;
    return MatchDecimal(text, pointFormat ? std::string_view(".") : LocaleSeparator(), nullptr);
}

std::optional<long double> ReadNumberLiteral(std::string_view text, bool pointFormat)
{
    if (text == "PI") return kPi;
    if (text == "-PI") return -kPi;
    std::string normalized;
    if (!MatchDecimal(text, pointFormat ? std::string_view(".") : LocaleSeparator(), &normalized))
        return std::nullopt;
    // Converted in the classic locale: the separator has already been normalised.
    return strtold_l(normalized.c_str(), nullptr, ClassicLocale());
}

} // namespace ondrix::parser
