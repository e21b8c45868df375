// The WAV image: header fields for every format, data length and padding.
#include "ToneSamples.h"
#include "platform/SoundDevice.h"
#include "tonegen/ToneGen.h"

#include <gtest/gtest.h>

#include <string>

namespace ondrix::tonegen {
namespace {

using testing::Byte;
using testing::HeaderU16;
using testing::HeaderU32;

struct Format
{
    TTGResolution resolution;
    TTGQuality quality;
    bool stereo;
    std::int16_t duration;
    // Expected, worked out by hand from the format.
    std::uint32_t dataLength;
    std::uint16_t channels;
    std::uint32_t rate;
    std::uint32_t byteRate;
    std::uint16_t blockAlign;
    std::uint16_t bits;
};

class WaveImageFormat : public ::testing::TestWithParam<Format>
{
};

TEST_P(WaveImageFormat, HeaderDescribesTheData)
{
    const Format f = GetParam();
    TToneGen tone(platform::SilentSoundDevice());
    tone.SetResolution(f.resolution);
    tone.SetQuality(f.quality);
    tone.SetStereo(f.stereo);
    tone.SetDuration(f.duration);
    ASSERT_TRUE(tone.Prepare());

    const std::uint8_t* image = tone.GetDataBuffer();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(tone.WaveImageSize(), f.dataLength + 76);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image), 4), "RIFF");
    EXPECT_EQ(HeaderU32(tone, 4), f.dataLength + 36);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image + 8), 8), "WAVEfmt ");
    EXPECT_EQ(HeaderU32(tone, 16), 16u);
    EXPECT_EQ(HeaderU16(tone, 20), 1u);
    EXPECT_EQ(HeaderU16(tone, 22), f.channels);
    EXPECT_EQ(HeaderU32(tone, 24), f.rate);
    EXPECT_EQ(HeaderU32(tone, 28), f.byteRate);
    EXPECT_EQ(HeaderU16(tone, 32), f.blockAlign);
    EXPECT_EQ(HeaderU16(tone, 34), f.bits);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image + 36), 4), "data");
    EXPECT_EQ(HeaderU32(tone, 40), f.dataLength);

    // The padding holds silence, apart from what the last frame spilled into it.
    const std::uint8_t silence = f.resolution == tg8Bit ? 128 : 0;
    const std::size_t frame = (f.bits / 8u) * f.channels;
    const std::size_t spill = (frame - f.dataLength % frame) % frame;
    for (std::size_t i = f.dataLength + spill; i < f.dataLength + 32; ++i)
        ASSERT_EQ(Byte(tone, i), silence) << "padding byte " << i - f.dataLength;
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, WaveImageFormat,
                         ::testing::Values(Format{tg16Bit, tgHiQ, false, 100, 19200, 1, 96000, 192000, 2, 16},
                                           Format{tg16Bit, tgHiQ, true, 100, 38400, 2, 96000, 384000, 4, 16},
                                           Format{tg8Bit, tgHiQ, false, 100, 9600, 1, 96000, 96000, 1, 8},
                                           Format{tg8Bit, tgHiQ, true, 100, 19200, 2, 96000, 192000, 2, 8},
                                           Format{tg16Bit, tgLoQ, false, 15, 1323, 1, 44100, 88200, 2, 16},
                                           Format{tg16Bit, tgLoQ, true, 15, 2646, 2, 44100, 176400, 4, 16},
                                           Format{tg8Bit, tgLoQ, false, 100, 4410, 1, 44100, 44100, 1, 8},
                                           Format{tg8Bit, tgLoQ, true, 100, 8820, 2, 44100, 88200, 2, 8},
                                           // The longest image.
                                           Format{tg16Bit, tgHiQ, true, 32767, 12582528, 2, 96000, 384000, 4,
                                                  16}));

TEST(WaveImage, LastFrameSpillsIntoThePadding)
{
    // 16-bit stereo at 44100 Hz for 15 ms: D = 2646 is half a frame past 661 frames.
    TToneGen tone(platform::SilentSoundDevice());
    tone.SetQuality(tgLoQ);
    tone.SetStereo(true);
    tone.SetDuration(15);
    tone.SetWaveform(tgSquare);
    ASSERT_TRUE(tone.Prepare());
    // The last frame starts at 2644: its right sample lands at 2646, in the padding.
    EXPECT_EQ(testing::Sample16(tone, 2644), testing::Sample16(tone, 2646));
    EXPECT_NE(testing::Sample16(tone, 2646), 0);
    EXPECT_EQ(testing::Sample16(tone, 2648), 0);
}

} // namespace
} // namespace ondrix::tonegen
