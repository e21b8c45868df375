#pragma once

#include <cstdint>
#include <string_view>

namespace ondrix::tonegen {

struct ParsedNote
{
    std::int32_t frequency = 0; // whole hertz, 0 when the text is not a playable note
    std::int32_t octave = 0;    // the octave after the note (meaningful only on success)
};

// Reads a note in the music-macro notation: "N" and a note number 0…121
// (48 is 440 Hz), or an optional octave prefix ("O" and a digit, or a run of
// "<" and ">"), a letter A…G and an optional "+", "#" or "-". Octaves begin at
// A. A note outside 20…20000 Hz is not playable.
ParsedNote ParseNote(std::string_view text, std::int32_t octave);

} // namespace ondrix::tonegen
