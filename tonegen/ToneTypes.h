#pragma once

#include <array>
#include <cstdint>

namespace ondrix::tonegen {

// Ordinals are shared with the rest of the program (display, voltage, batch export).
enum TTGWave : std::uint8_t { tgSine = 0, tgSquare = 1, tgTriangle = 2, tgSawtooth = 3, tgNoise = 4 };
enum TTGResolution : std::uint8_t { tg16Bit = 0, tg8Bit = 1 };
enum TTGQuality : std::uint8_t { tgHiQ = 0, tgLoQ = 1 };
enum TTGAMLevel : std::uint8_t {
    tgAMLevel1 = 0,
    tgAMLevel2,
    tgAMLevel3,
    tgAMLevel4,
    tgAMLevel5,
    tgAMLevel6,
    tgAMLevel7,
    tgAMLevel8,
};

inline constexpr int kAMSlotCount = 8;

// One partial tone mixed over the carrier. The frequency is in hertz, or a
// multiple of the carrier's frequency when the multiplier is in use.
struct AMSlot
{
    std::int16_t amplitude = 0;
    TTGWave waveform = tgSine;
    float frequency = 0.0f;
};

// Everything the sample mixer needs to know about a tone.
struct SynthesisSettings
{
    std::int16_t frequency = 440;
    std::int16_t duration = 100;
    TTGWave waveform = tgSine;
    TTGResolution resolution = tg16Bit;
    TTGQuality quality = tgHiQ;
    bool stereo = false;
    bool useMultiplier = true;
    std::array<AMSlot, kAMSlotCount> slots{};
    // Period boundaries at exactly n × rate div frequency samples. Off, they
    // fall at Trunc(n × P) computed in doubles, which now and then lands one
    // sample short (after 91 periods of 91 Hz at 96000 Hz: sample 95999); a
    // loop image needs the exact grid to close on a whole number of periods.
    bool exactPeriods = false;
};

// Attack, hold, decay and release in percent of the duration; sustain in
// percent of full level.
struct EnvelopeSettings
{
    std::int16_t attack = 10;
    std::int16_t hold = 5;
    std::int16_t decay = 20;
    std::int16_t sustain = 50;
    std::int16_t release = 30;
};

} // namespace ondrix::tonegen
