#include "windows/SearchTerm.h"

namespace ondrix::windows {
namespace {

bool StaysAsIs(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("!$'()*-.@_").find(static_cast<char>(c)) != std::string_view::npos;
}

} // namespace

std::string EncodeSearchTerm(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string term;
    term.reserve(bytes.size() * 3);
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (StaysAsIs(c)) {
            term += byte;
        } else if (c == ' ') {
            term += '+';
        } else {
            term += '%';
            term += kHex[c >> 4];
            term += kHex[c & 15];
        }
    }
    return term;
}

std::string SearchAddressFor(std::string_view utf8Text)
{
    return std::string(kSearchAddress) + EncodeSearchTerm(utf8Text);
}

} // namespace ondrix::windows
