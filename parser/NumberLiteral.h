// Number literals of the formula language.
#pragma once

#include <optional>
#include <string_view>

namespace ondrix::parser {

// The value of a literal: "PI", "-PI", or a decimal number with an optional sign,
// at least one mantissa digit, an optional fraction after the decimal separator
// and an optional exponent ("E", optional sign, digits). With pointFormat the
// separator is "."; otherwise it is the current locale's. Nothing else may follow.
std::optional<long double> ReadNumberLiteral(std::string_view text, bool pointFormat);
// Only whether the text is a literal (no conversion).
bool IsNumberLiteral(std::string_view text, bool pointFormat);

} // namespace ondrix::parser
