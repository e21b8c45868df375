#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace ondrix::platform {

// How the samples of a PCM WAV image are stored.
enum class SampleEncoding {
    Unsigned8, // 8-bit, 128 is silence
    Signed16,  // little-endian
    Signed24,  // little-endian, packed in three bytes
    Signed32,  // little-endian
    Float32,   // little-endian IEEE 754
};

// The playable part of a RIFF/WAVE image held in memory. `samples` points into
// the image it was read from and is valid as long as that image is.
struct WavImage
{
    SampleEncoding encoding = SampleEncoding::Signed16;
    unsigned channels = 0;
    unsigned sampleRate = 0;
    unsigned bytesPerFrame = 0; // all channels of one instant
    const std::uint8_t* samples = nullptr;
    std::size_t frames = 0;
};

// Reads the header of a RIFF/WAVE image of `size` bytes. Nothing outside the
// buffer is read. Accepts PCM (also in the extensible format) with 8, 16, 24
// or 32 bits, 32-bit float, any number of channels and rates up to 384 kHz;
// unknown chunks are skipped. A data chunk whose size is not a whole number
// of frames gets its last frame completed from the bytes that follow it when
// the buffer holds them (the tone generator lets its last frame spill into
// the padding behind the chunk), otherwise the partial frame is dropped.
// Empty result for anything malformed, truncated or of another encoding.
std::optional<WavImage> ReadWavImage(const std::uint8_t* image, std::size_t size);

} // namespace ondrix::platform
