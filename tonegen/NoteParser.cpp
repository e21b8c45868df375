#include "tonegen/NoteParser.h"

#include <cmath>
#include <optional>
#include <string>

namespace ondrix::tonegen {
namespace {

constexpr std::int32_t kHighestNoteNumber = 121;

std::string Normalised(std::string_view text)
{
    std::size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ')
        --last;
    std::string out(text.substr(first, last - first));
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// A signed 32-bit integer, decimal or hexadecimal after "$"; nothing else.
std::optional<std::int64_t> ParseInteger(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text[0] == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > 0x80000000LL) return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > 0x7FFFFFFFLL) return std::nullopt;
    return value;
}

int Semitone(char letter)
{
    switch (letter) {
    case 'A':
        return 0;
    case 'B':
        return 2;
    case 'C':
        return 3;
    case 'D':
        return 5;
    case 'E':
        return 7;
    case 'F':
        return 8;
    case 'G':
        return 10;
    default:
        return -1;
    }
}

std::int32_t FrequencyOf(std::int64_t note)
{
    const double hertz = std::trunc(440 * std::pow(2.0, static_cast<double>(note - 48) / 12) + 0.5);
    if (hertz < 20 || hertz > 20000) return 0;
    return static_cast<std::int32_t>(hertz);
}

} // namespace

ParsedNote ParseNote(std::string_view input, std::int32_t octave)
{
    const std::string text = Normalised(input);
    if (text.empty()) return {};

    if (text[0] == 'N') {
        const auto number = ParseInteger(std::string_view(text).substr(1));
        if (!number || *number < 0 || *number > kHighestNoteNumber) return {};
        return {FrequencyOf(*number), octave};
    }

    std::size_t pos = 0;
    std::int64_t oct = octave;
    if (text[pos] == 'O') {
        if (pos + 1 >= text.size() || text[pos + 1] < '0' || text[pos + 1] > '9') return {};
        oct = text[pos + 1] - '0';
        pos += 2;
    } else {
        for (; pos < text.size() && (text[pos] == '<' || text[pos] == '>'); ++pos) {
            if (text[pos] == '<' && oct > 0) --oct;
            if (text[pos] == '>' && oct < 9) ++oct;
        }
    }

    if (pos >= text.size()) return {};
    const char letter = text[pos++];
    std::int64_t semitone = Semitone(letter);
    if (semitone < 0) return {};

    if (pos < text.size()) {
        const char accidental = text[pos];
        if (accidental == '+' || accidental == '#') {
            if (letter == 'B' || letter == 'E') return {};
            ++semitone;
            ++pos;
        } else if (accidental == '-') {
            if (letter == 'C' || letter == 'F') return {};
            if (letter == 'A') {
                if (oct <= 0) return {};
                semitone = 11;
                --oct;
            } else {
                --semitone;
            }
            ++pos;
        }
    }
    if (pos != text.size()) return {};

    const std::int32_t frequency = FrequencyOf(semitone + 12 * oct);
    if (frequency == 0) return {};
    return {frequency, static_cast<std::int32_t>(oct)};
}

} // namespace ondrix::tonegen
