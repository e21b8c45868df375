#include "app/model/NumberText.h"

#include <QLocale>
#include <QString>
#include <climits>
#include <cmath>
#include <cstdio>

namespace ondrix::app {

namespace {

// The integer of TryStrToInt; `clamp` saturates values beyond 32 bits.
std::optional<std::int32_t> ParseInt(const std::string& text, bool clamp)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const bool hex = i < text.size() && text[i] == '$';
    if (hex) ++i;
    if (i == text.size()) return std::nullopt;

    std::uint64_t magnitude = 0;
    bool saturated = false;
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        magnitude = magnitude * (hex ? 16 : 10) + std::uint64_t(digit);
        if (magnitude > limit) {
            if (!clamp) return std::nullopt;
            // The rest must still be digits; the value is the nearest limit.
            saturated = true;
            magnitude = limit;
        }
    }
    if (saturated) return negative ? INT32_MIN : INT32_MAX;
    // Hexadecimal is the 32-bit pattern; decimal was range-checked above.
    const auto pattern = static_cast<std::uint32_t>(magnitude);
    const auto value = static_cast<std::int32_t>(pattern);
    if (!negative) return value;
    return static_cast<std::int32_t>(0u - pattern);
}

} // namespace

std::optional<std::int32_t> TryStrToInt(const std::string& text)
{
    return ParseInt(text, false);
}

std::optional<std::int32_t> TryStrToClampedInt(const std::string& text)
{
    return ParseInt(text, true);
}

std::int32_t StrToInt(const std::string& text)
{
    if (const auto value = TryStrToInt(text)) return *value;
    throw EConvertError("'" + text + "' is not a valid integer value");
}

std::int32_t StrToClampedInt(const std::string& text)
{
    if (const auto value = TryStrToClampedInt(text)) return *value;
    throw EConvertError("'" + text + "' is not a valid integer value");
}

std::optional<double> TryStrToFloat(const std::string& text)
{
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(QString::fromLocal8Bit(text.c_str()).trimmed(), &ok);
    if (!ok) return std::nullopt;
    return value;
}

std::optional<double> TryStrToFiniteFloat(const std::string& text)
{
    const auto value = TryStrToFloat(text);
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

std::optional<QString> NonFiniteText(long double value)
{
    if (std::isnan(value)) return QString("NAN");
    if (std::isinf(value)) return QString(value > 0 ? "INF" : "-INF");
    return std::nullopt;
}

QString ShortestText(long double value)
{
    if (const auto name = NonFiniteText(value)) return *name;
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(static_cast<double>(value), 'g', 15);
}

std::string IntToHex4(std::int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value));
    return text;
}

} // namespace ondrix::app
