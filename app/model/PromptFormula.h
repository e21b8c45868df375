#pragma once

#include "parser/MDParser.h"

#include <stdexcept>
#include <string>

namespace ondrix::app {

// The value of a formula typed into a numeric prompt, on the window's parser
// (so the frequency variables can be used). A compile error propagates as the
// parser's; a domain error (ln of a negative number, a division by 0) is
// refused here, before anything uses the number.
inline long double PromptFormulaValue(TMDParser& parser)
{
    const long double value = parser.Value();
    if (parser.CalcError()) throw std::runtime_error("Math error in \"" + parser.Expression() + "\"");
    return value;
}

} // namespace ondrix::app
