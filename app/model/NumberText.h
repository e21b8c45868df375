#pragma once

#include <QString>
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

// As TryStrToInt, but a number beyond 32 bits is clamped to the nearest
// 32-bit value instead of refused (the switches feed clamped properties).
std::optional<std::int32_t> TryStrToClampedInt(const std::string& text);
// As TryStrToClampedInt; throws EConvertError for a text that is no integer.
std::int32_t StrToClampedInt(const std::string& text);

// A real number written with the user's locale decimal separator (no group
// separators); surrounding spaces are ignored.
std::optional<double> TryStrToFloat(const std::string& text);

// As TryStrToFloat, refusing infinities and NaN (they are no measurement).
std::optional<double> TryStrToFiniteFloat(const std::string& text);

// Names for what no number can show, as the display writes them: "NAN",
// "INF", "-INF"; nullopt for a finite value.
std::optional<QString> NonFiniteText(long double value);

// The shortest general form of a number, up to 15 significant digits, with the
// user's decimal separator and no group separators ("1000", "0.5", "NAN").
QString ShortestText(long double value);

// At least four upper-case hexadecimal digits: 888 → "0378", 956 → "03BC".
std::string IntToHex4(std::int32_t value);

// A number given by the user, clamped to the range of the property it feeds.
template <typename Int> constexpr Int ClampTo(std::int64_t value, Int low, Int high)
{
    return value < low ? low : value > high ? high : static_cast<Int>(value);
}

} // namespace ondrix::app
