#pragma once

#include <cstdint>
#include <optional>

// Windows code page 1252, the code page of the RTF files the program reads
// and writes. The five bytes the code page leaves undefined map to the C1
// control characters of the same value, so every byte has a character and back.
namespace ondrix::windows::cp1252 {

char16_t ToUnicode(std::uint8_t byte);

// The byte for a character, or nullopt when the code page has none.
std::optional<std::uint8_t> FromUnicode(char16_t character);

} // namespace ondrix::windows::cp1252
