#include "tonegen/WaveHeader.h"

#include <cstring>

namespace ondrix::tonegen {
namespace {

void PutU16(std::uint8_t* at, std::uint32_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(std::uint8_t* at, std::uint32_t value)
{
    PutU16(at, value & 0xFFFFu);
    PutU16(at + 2, value >> 16);
}

} // namespace

PcmLayout LayoutOf(const SynthesisSettings& settings)
{
    PcmLayout layout;
    const bool eightBit = settings.resolution == tg8Bit;
    layout.bytesPerSample = eightBit ? 1 : 2;
    layout.silence = eightBit ? 128 : 0;
    layout.channels = settings.stereo ? 2 : 1;
    layout.sampleRate = settings.quality == tgLoQ ? 44100 : 96000;
    const std::int64_t samplesPerTenMs = layout.sampleRate / 100;
    const std::int64_t duration = settings.duration > 0 ? settings.duration : 0;
    const std::int64_t mono = layout.bytesPerSample * duration * samplesPerTenMs / 10;
    layout.dataLength = static_cast<std::size_t>(settings.stereo ? mono * 2 : mono);
    return layout;
}

std::array<std::uint8_t, kWaveHeaderSize> BuildWaveHeader(bool stereo, bool sixteenBit, bool highRate,
                                                          std::uint32_t dataSize)
{
    const std::uint32_t channels = stereo ? 2 : 1;
    const std::uint32_t rate = highRate ? 96000 : 44100;
    const std::uint32_t bits = sixteenBit ? 16 : 8;

    std::array<std::uint8_t, kWaveHeaderSize> header{};
    std::uint8_t* h = header.data();
    std::memcpy(h, "RIFF", 4);
    PutU32(h + 4, dataSize + 36);
    std::memcpy(h + 8, "WAVE", 4);
    std::memcpy(h + 12, "fmt ", 4);
    PutU32(h + 16, 16);
    PutU16(h + 20, 1);
    PutU16(h + 22, channels);
    PutU32(h + 24, rate);
    PutU32(h + 28, channels * rate * (bits / 8));
    PutU16(h + 32, (bits / 8) * channels);
    PutU16(h + 34, bits);
    std::memcpy(h + 36, "data", 4);
    PutU32(h + 40, dataSize);
    return header;
}

} // namespace ondrix::tonegen
