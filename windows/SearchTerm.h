#pragma once

#include <string>
#include <string_view>

namespace ondrix::windows {

// The query address the selected text is appended to.
constexpr std::string_view kSearchAddress = "https://www.google.com/search?q=";

// Encodes text byte by byte for a query: letters, digits and ! $ ' ( ) * - . @ _
// stay, a blank becomes "+", every other byte becomes "%" and two upper-case
// hexadecimal digits ("a b&c" gives "a+b%26c").
std::string EncodeSearchTerm(std::string_view bytes);

// The search address for the UTF-8 text.
std::string SearchAddressFor(std::string_view utf8Text);

} // namespace ondrix::windows
