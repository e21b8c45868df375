#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The texts of the about box, worked out from what its show operation is given.
namespace ondrix::windows::about {

// The maker's website: the banner opens it, and home-page suffixes are appended to it.
constexpr std::string_view kMakerSite = "https://www.brevant-industries.example/";

constexpr std::string_view kProductNameTemplate = "Brevant %s";

// "ANSI-Char", or "WIDE-Char" for the flag value 1.
std::string CharTypeText(std::uint8_t flags);

// The template with its "%s" replaced by the product name, taken literally.
std::string ProductNameText(std::string_view productNameTemplate, std::string_view productName);

// "Version a.b.c.d" from a dotted version (missing parts are 0), or
// "Unknown version" when there is none or it is not made of numbers.
std::string VersionText(std::string_view dottedVersion);

// The maker's site followed by the suffix, or the suffix alone when it is an
// address of its own (starts with http:// or https:// in any letter case).
std::string HomePageAddress(std::string_view suffix);

// "32-Bit" or "64-Bit": the pointer width this program was built for.
std::string BitnessText();

} // namespace ondrix::windows::about
