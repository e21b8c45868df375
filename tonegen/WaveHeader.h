#pragma once

#include "tonegen/ToneTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace ondrix::tonegen {

inline constexpr std::size_t kWaveHeaderSize = 44;
// Silence after the data: the last frame of an image whose data length is not
// a whole number of frames spills into it.
inline constexpr std::size_t kWavePadding = 32;

// The PCM layout a tone is synthesised in.
struct PcmLayout
{
    int bytesPerSample = 2;
    int channels = 1;
    int sampleRate = 96000;
    std::uint8_t silence = 0;   // 0 for signed 16-bit, 128 for unsigned 8-bit
    std::size_t dataLength = 0; // D: not rounded to whole frames
};

PcmLayout LayoutOf(const SynthesisSettings& settings);

// The 44-byte RIFF/WAVE PCM header for a data chunk of dataSize bytes.
std::array<std::uint8_t, kWaveHeaderSize> BuildWaveHeader(bool stereo, bool sixteenBit, bool highRate,
                                                          std::uint32_t dataSize);

} // namespace ondrix::tonegen
