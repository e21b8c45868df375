// Sample values of generated tones, against figures worked out by hand.
#include "ToneSamples.h"
#include "platform/SoundDevice.h"
#include "tonegen/ToneGen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace ondrix::tonegen {
namespace {

using testing::Byte;
using testing::Sample16;

std::vector<std::int16_t> Samples16(const TToneGen& tone, std::size_t count)
{
    std::vector<std::int16_t> out;
    for (std::size_t i = 0; i < count; ++i)
        out.push_back(Sample16(tone, 2 * i));
    return out;
}

std::vector<std::uint8_t> Image(const TToneGen& tone)
{
    return {tone.GetDataBuffer(), tone.GetDataBuffer() + tone.WaveImageSize()};
}

class Synthesis : public ::testing::Test
{
  protected:
    TToneGen tone{platform::SilentSoundDevice()};
};

TEST_F(Synthesis, DefaultSineStartsEveryPeriodAtZeroAndPeaksBelowFullScale)
{
    ASSERT_TRUE(tone.Prepare());
    const auto samples = Samples16(tone, 9600);
    EXPECT_EQ(samples[0], 0);
    EXPECT_EQ(samples[1], 944);    // Trunc(sin(2π/218) × 32767)
    EXPECT_EQ(samples[54], 32763); // no sample of a 218-sample period lands on the crest
    EXPECT_EQ(*std::max_element(samples.begin(), samples.end()), 32763);
    EXPECT_EQ(*std::min_element(samples.begin(), samples.end()), -32763);
    // P = 218.18…: periods start at Trunc(n × P); the sixth is 219 samples long.
    for (int start : {218, 436, 654, 872, 1090, 1309, 1527}) {
        EXPECT_EQ(samples[start], 0) << start;
        EXPECT_EQ(samples[start + 1], 944) << start;
    }
}

TEST_F(Synthesis, SawtoothRestartsAtEachPeriodBoundary)
{
    tone.SetWaveform(tgSawtooth);
    ASSERT_TRUE(tone.Prepare());
    const auto samples = Samples16(tone, 1600);
    std::vector<int> restarts;
    for (int i = 0; i < 1600; ++i)
        if (samples[i] == -32767) restarts.push_back(i);
    EXPECT_EQ(restarts, (std::vector<int>{0, 218, 436, 654, 872, 1090, 1309, 1527}));
    // The long sixth period climbs one step further than a 218-sample one.
    EXPECT_GT(samples[1308], samples[1089]);
}

TEST_F(Synthesis, EightBitSquareAtFullLevel)
{
    tone.SetResolution(tg8Bit);
    tone.SetWaveform(tgSquare);
    ASSERT_TRUE(tone.Prepare());
    // H = Trunc(218.18 + 0.5) div 2 = 109.
    for (int i = 0; i < 109; ++i)
        ASSERT_EQ(Byte(tone, i), 1) << i;
    for (int i = 109; i < 218; ++i)
        ASSERT_EQ(Byte(tone, i), 255) << i;
    EXPECT_EQ(Byte(tone, 218), 1);
}

TEST_F(Synthesis, TriangleClimbsForHalfAPeriodThenFalls)
{
    tone.SetWaveform(tgTriangle);
    ASSERT_TRUE(tone.Prepare());
    const auto samples = Samples16(tone, 218);
    const double step = 65534.0 / 109;
    EXPECT_EQ(samples[0], -32767);
    EXPECT_EQ(samples[1], static_cast<int>(std::trunc(-32767 + step)));
    EXPECT_TRUE(std::is_sorted(samples.begin(), samples.begin() + 110));
    EXPECT_TRUE(std::is_sorted(samples.rbegin(), samples.rbegin() + 108));
}

TEST_F(Synthesis, SlotsOverOneHundredPercentSilenceTheCarrier)
{
    tone.SetAMParameter(tgAMLevel1, 60, tgSquare, 1.0f);
    tone.SetAMParameter(tgAMLevel2, 60, tgSquare, 1.0f);
    ASSERT_TRUE(tone.Prepare());
    // Each slot plays at 50 %: Trunc(−16383.5) twice, and no sine under them.
    EXPECT_EQ(Sample16(tone, 2), -32766);
    EXPECT_EQ(Sample16(tone, 2 * 109), 32766);
}

TEST_F(Synthesis, MultipliedSlotFrequencyIsClampedTo20Hz)
{
    tone.SetAMParameter(tgAMLevel1, 100, tgSquare, 0.01f); // Trunc(4.4) = 4 → 20 Hz
    ASSERT_TRUE(tone.Prepare());
    // 20 Hz at 96000 samples/s: half periods of 2400 samples.
    EXPECT_EQ(Sample16(tone, 2 * 2399), -32767);
    EXPECT_EQ(Sample16(tone, 2 * 2400), 32767);
}

TEST_F(Synthesis, UnmultipliedSlotBelowOneHertzIsSkipped)
{
    tone.SetAMUseMultiplier(false);
    tone.SetAMParameter(tgAMLevel1, 100, tgSquare, 0.5f);
    ASSERT_TRUE(tone.Prepare());
    const auto image = Image(tone);
    EXPECT_TRUE(std::all_of(image.begin() + 44, image.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST_F(Synthesis, MixingWrapsAroundSixteenBits)
{
    // A negative slot amplitude (stored unchecked) raises the carrier to 150 %.
    tone.SetAMParameter(tgAMLevel1, -50, tgSine, 1.0f);
    tone.SetWaveform(tgSquare);
    ASSERT_TRUE(tone.Prepare());
    EXPECT_EQ(Sample16(tone, 0), -49150 + 65536); // Trunc(−(150 × 32767) / 100), wrapped
}

TEST_F(Synthesis, NoiseRepeatsAndLeavesTheProcessGeneratorAlone)
{
    tone.SetWaveform(tgNoise);
    std::srand(7);
    const int expectedNext = std::rand();
    std::srand(7);
    ASSERT_TRUE(tone.Prepare());
    EXPECT_EQ(std::rand(), expectedNext);

    // seed 1 → 134775814; Random(65535) − 32767.
    EXPECT_EQ(Sample16(tone, 0), -30711);
    EXPECT_EQ(Sample16(tone, 2), 23661);
    const auto first = Image(tone);
    ASSERT_TRUE(tone.Prepare());
    EXPECT_EQ(Image(tone), first);
}

TEST_F(Synthesis, StereoRightChannelEqualsLeft)
{
    for (TTGResolution resolution : {tg16Bit, tg8Bit}) {
        tone.SetResolution(resolution);
        tone.SetStereo(true);
        tone.SetWaveform(tgNoise);
        tone.SetAMParameter(tgAMLevel3, 40, tgTriangle, 2.5f);
        ASSERT_TRUE(tone.Prepare());
        const std::size_t sample = resolution == tg16Bit ? 2 : 1;
        const std::size_t data = tone.WaveImageSize() - 76;
        const std::uint8_t* pcm = tone.GetDataBuffer() + 44;
        for (std::size_t i = 0; i < data; i += 2 * sample)
            ASSERT_TRUE(std::equal(pcm + i, pcm + i + sample, pcm + i + sample)) << i;
    }
}

// Settings the mixer cannot represent play like a nearby sound, never crash.
TEST_F(Synthesis, OutOfRangeSlotFrequencies)
{
    tone.SetAMUseMultiplier(false);
    auto imageWithSlot = [&](TTGWave wave, float frequency) {
        tone.SetAMParameter(tgAMLevel1, 50, wave, frequency);
        EXPECT_TRUE(tone.Prepare());
        return Image(tone);
    };
    EXPECT_EQ(imageWithSlot(tgSquare, 40000.0f), imageWithSlot(tgSquare, 32767.0f));
    const auto skipped = imageWithSlot(tgSquare, 0.0f);
    EXPECT_EQ(imageWithSlot(tgSquare, std::numeric_limits<float>::quiet_NaN()), skipped);
    EXPECT_EQ(imageWithSlot(tgSquare, std::numeric_limits<float>::infinity()), skipped);
    EXPECT_NE(imageWithSlot(tgSquare, 25000.0f), skipped);

    // At 44100 samples/s a triangle above about 29400 Hz has no half period.
    tone.SetQuality(tgLoQ);
    const auto silentSlot = imageWithSlot(tgTriangle, 0.0f);
    EXPECT_EQ(imageWithSlot(tgTriangle, 30000.0f), silentSlot);
    EXPECT_NE(imageWithSlot(tgTriangle, 29000.0f), silentSlot);
}

} // namespace
} // namespace ondrix::tonegen
