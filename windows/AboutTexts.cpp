#include "windows/AboutTexts.h"

#include <array>
#include <cctype>
#include <charconv>

namespace ondrix::windows::about {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

} // namespace

std::string CharTypeText(std::uint8_t flags)
{
    std::string text = "ANSI-Char";
    if (flags == 1) text = "WIDE-Char";
    if (flags == 2) text = "ANSI-Char";
    return text;
}

std::string ProductNameText(std::string_view productNameTemplate, std::string_view productName)
{
    std::string text(productNameTemplate);
    const std::size_t place = text.find("%s");
    if (place != std::string::npos) text.replace(place, 2, productName);
    return text;
}

std::string VersionText(std::string_view dottedVersion)
{
    std::array<unsigned, 4> parts{};
    std::size_t count = 0;
    const char* at = dottedVersion.data();
    const char* end = at + dottedVersion.size();
    while (at < end) {
        if (count == parts.size()) return "Unknown version";
        const auto [next, error] = std::from_chars(at, end, parts[count]);
        if (error != std::errc() || parts[count] > 65535) return "Unknown version";
        ++count;
        at = next;
        if (at < end && *at++ != '.') return "Unknown version";
        if (at == end && end[-1] == '.') return "Unknown version";
    }
    if (count == 0) return "Unknown version";
    return "Version " + std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
           std::to_string(parts[2]) + "." + std::to_string(parts[3]);
}

std::string HomePageAddress(std::string_view suffix)
{
    if (StartsWithNoCase(suffix, "http://") || StartsWithNoCase(suffix, "https://"))
        return std::string(suffix);
    return std::string(kMakerSite) + std::string(suffix);
}

std::string BitnessText()
{
    return std::to_string(sizeof(void*) * 8) + "-Bit";
}

} // namespace ondrix::windows::about
