#include "app/NumberText.h"

#include <QLocale>
#include <QString>
#include <cstdio>

namespace ondrix::app {

std::optional<std::int32_t> TryStrToInt(const std::string& text)
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
        if (magnitude > limit) return std::nullopt;
    }
    // Hexadecimal is the 32-bit pattern; decimal was range-checked above.
    const auto pattern = static_cast<std::uint32_t>(magnitude);
    const auto value = static_cast<std::int32_t>(pattern);
    if (!negative) return value;
    return static_cast<std::int32_t>(0u - pattern);
}

std::int32_t StrToInt(const std::string& text)
{
    if (const auto value = TryStrToInt(text)) return *value;
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

std::string IntToHex4(std::int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value));
    return text;
}

} // namespace ondrix::app
