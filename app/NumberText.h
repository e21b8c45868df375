#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace ondrix::app {

// A text that is not the number asked for ("'abc' is not a valid integer value").
class EConvertError : public std::runtime_error
{
  public:
    using std::runtime_error::runtime_error;
};

// A signed 32-bit integer: decimal with an optional sign, or hexadecimal after
// "$" (up to 8 digits, read as the 32-bit pattern, so "$FFFFFFFF" is -1).
// Leading spaces are skipped; anything else around the number is refused.
std::optional<std::int32_t> TryStrToInt(const std::string& text);

// As TryStrToInt; throws EConvertError "'<text>' is not a valid integer value".
std::int32_t StrToInt(const std::string& text);

// A real number written with the user's locale decimal separator (no group
// separators); surrounding spaces are ignored.
std::optional<double> TryStrToFloat(const std::string& text);

// At least four upper-case hexadecimal digits: 888 → "0378", 956 → "03BC".
std::string IntToHex4(std::int32_t value);

// A number given by the user, clamped to the range of the property it feeds.
template <typename Int> constexpr Int ClampTo(std::int64_t value, Int low, Int high)
{
    return value < low ? low : value > high ? high : static_cast<Int>(value);
}

} // namespace ondrix::app
