// Continuous mode: the loop image and its seam, and what the component asks
// of its sound device while the mode is on and when it is turned off.
#include "FakeSoundDevice.h"
#include "tonegen/Synthesis.h"
#include "tonegen/ToneGen.h"
#include "tonegen/WaveHeader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace ondrix::tonegen {
namespace {

using platform::PlayMode;
using testing::FakeSoundDevice;

// The left (or only) channel of a PCM image's data, as signed values;
// whether the right channel equals it is checked on the way.
std::vector<int> LeftChannel(const std::uint8_t* data, std::size_t length, bool eightBit, bool stereo)
{
    const std::size_t sample = eightBit ? 1 : 2;
    const std::size_t frame = sample * (stereo ? 2 : 1);
    std::vector<int> values;
    for (std::size_t i = 0; i + frame <= length; i += frame) {
        std::int16_t value16;
        std::memcpy(&value16, data + i, 2);
        values.push_back(eightBit ? data[i] - 128 : value16);
        if (stereo) {
            EXPECT_EQ(std::memcmp(data + i, data + i + sample, sample), 0) << "frame at " << i;
        }
    }
    return values;
}

int LargestStep(const std::vector<int>& values)
{
    int largest = 0;
    for (std::size_t i = 1; i < values.size(); ++i)
        largest = std::max(largest, std::abs(values[i] - values[i - 1]));
    return largest;
}

// Two seconds of a tone synthesised without a break, on the loop's period grid.
std::vector<int> EndlessTwoSeconds(SynthesisSettings settings)
{
    settings.duration = 2 * TToneGen::kLoopMilliseconds;
    settings.stereo = false;
    settings.exactPeriods = true;
    const std::size_t length = LayoutOf(settings).dataLength;
    std::vector<std::uint8_t> data(length + kWavePadding);
    RenderTone(settings, nullptr, data.data(), length);
    return LeftChannel(data.data(), length, settings.resolution == tg8Bit, false);
}

std::vector<int> Twice(const std::vector<int>& loop)
{
    std::vector<int> twice = loop;
    twice.insert(twice.end(), loop.begin(), loop.end());
    return twice;
}

// Where two sample sequences first part (-1: nowhere), a short failure message.
long FirstDifference(const std::vector<int>& actual, const std::vector<int>& expected)
{
    if (actual.size() != expected.size()) return static_cast<long>(std::min(actual.size(), expected.size()));
    const auto parting = std::mismatch(actual.begin(), actual.end(), expected.begin());
    return parting.first == actual.end() ? -1 : parting.first - actual.begin();
}

struct LoopCase
{
    TTGWave wave;
    int frequency;
    TTGQuality quality;
    TTGResolution resolution;
    bool stereo;
};

// The loop image holds one second; its first sample follows its last as the
// next sample of an endless synthesis would: the loop played twice is two
// seconds of the same tone. 91 Hz at 96000 Hz is a case where the recorded
// tone's period grid (Trunc(n × P) in doubles) would close one sample short.
TEST(ContinuousLoop, EveryWaveRateAndSampleSizeJoinsWithoutASeam)
{
    const std::vector<LoopCase> extra = {
        {tgSawtooth, 91, tgHiQ, tg16Bit, false},
        {tgTriangle, 91, tgHiQ, tg8Bit, true},
    };
    std::vector<LoopCase> cases = extra;
    for (TTGWave wave : {tgSine, tgSquare, tgTriangle, tgSawtooth, tgNoise})
        for (int frequency : {20, 440, 997, 1000, 19999, 20000})
            for (TTGQuality quality : {tgHiQ, tgLoQ})
                for (TTGResolution resolution : {tg16Bit, tg8Bit})
                    for (bool stereo : {false, true})
                        cases.push_back({wave, frequency, quality, resolution, stereo});

    auto device = std::make_shared<FakeSoundDevice>();
    TToneGen tone(device);
    tone.SetContinuous(true);
    for (const LoopCase& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "wave " << int(c.wave) << ", " << c.frequency << " Hz, quality " << int(c.quality)
                     << ", resolution " << int(c.resolution) << (c.stereo ? ", stereo" : ""));
        tone.SetWaveform(c.wave);
        tone.SetFrequency(static_cast<std::int16_t>(c.frequency));
        tone.SetQuality(c.quality);
        tone.SetResolution(c.resolution);
        tone.SetStereo(c.stereo);
        tone.Play();
        ASSERT_FALSE(device->plays.empty());
        const std::vector<std::uint8_t>& image = device->plays.back().image;
        ASSERT_EQ(device->plays.back().mode, PlayMode::AsyncLoop);
        ASSERT_EQ(image, std::vector<std::uint8_t>(tone.GetLoopBuffer(),
                                                   tone.GetLoopBuffer() + tone.LoopImageSize()));

        const bool eightBit = c.resolution == tg8Bit;
        const std::size_t rate = c.quality == tgHiQ ? 96000 : 44100;
        const std::size_t dataLength = rate * (eightBit ? 1 : 2) * (c.stereo ? 2 : 1);
        ASSERT_EQ(image.size(), kWaveHeaderSize + dataLength + kWavePadding);
        const std::vector<int> loop =
            LeftChannel(image.data() + kWaveHeaderSize, dataLength, eightBit, c.stereo);
        if (c.wave == tgNoise) continue; // may restart with a click, must only not fail

        EXPECT_LE(std::abs(loop.front() - loop.back()), LargestStep(loop));

        SynthesisSettings settings;
        settings.frequency = static_cast<std::int16_t>(c.frequency);
        settings.waveform = c.wave;
        settings.quality = c.quality;
        settings.resolution = c.resolution;
        ASSERT_EQ(FirstDifference(Twice(loop), EndlessTwoSeconds(settings)), -1);
    }
}

// Partials at other whole frequencies close on the same second.
TEST(ContinuousLoop, PartialsCloseOnWholePeriodsToo)
{
    auto device = std::make_shared<FakeSoundDevice>();
    TToneGen tone(device);
    tone.SetContinuous(true);
    tone.SetFrequency(997);
    tone.SetWaveform(tgSawtooth);
    const AMSlot triangle{30, tgTriangle, 1.5f}; // 1495 Hz
    const AMSlot square{20, tgSquare, 0.0913f};  // Trunc(91.0261) = 91 Hz
    tone.SetAMParameter(tgAMLevel1, triangle.amplitude, triangle.waveform, triangle.frequency);
    tone.SetAMParameter(tgAMLevel2, square.amplitude, square.waveform, square.frequency);
    tone.Play();
    const std::vector<int> loop =
        LeftChannel(tone.GetLoopBuffer() + kWaveHeaderSize,
                    tone.LoopImageSize() - kWaveHeaderSize - kWavePadding, false, false);
    ASSERT_EQ(loop.size(), 96000u);

    SynthesisSettings settings;
    settings.frequency = 997;
    settings.waveform = tgSawtooth;
    settings.slots[0] = triangle;
    settings.slots[1] = square;
    EXPECT_EQ(FirstDifference(Twice(loop), EndlessTwoSeconds(settings)), -1);
}

// What is recorded stays one Duration of the tone, and the loop is that same
// tone: where both period grids agree (440 Hz) their first 100 ms are equal.
TEST(ContinuousMode, RecordsOneDurationAndLoopsTheSameTone)
{
    auto device = std::make_shared<FakeSoundDevice>();
    TToneGen once(device);
    once.Play();
    const std::vector<std::uint8_t> single(once.GetDataBuffer(), once.GetDataBuffer() + once.WaveImageSize());

    TToneGen tone(device);
    tone.SetContinuous(true);
    tone.Play();
    ASSERT_EQ(tone.WaveImageSize(), single.size());
    EXPECT_TRUE(std::equal(single.begin(), single.end(), tone.GetDataBuffer()));
    EXPECT_TRUE(std::equal(single.begin() + 44, single.end() - 32, tone.GetLoopBuffer() + 44));

    const auto file = std::filesystem::temp_directory_path() / "ondrix-continuous-export.wav";
    ASSERT_TRUE(tone.ExportFile(file.string()));
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}), single);
    std::filesystem::remove(file);
}

class ContinuousWithFake : public ::testing::Test
{
  protected:
    std::shared_ptr<FakeSoundDevice> device = std::make_shared<FakeSoundDevice>();
    TToneGen tone{device};
};

TEST_F(ContinuousWithFake, PlaysReplaceTheLoopWithoutStoppingIt)
{
    tone.SetAsync(false); // a synchronous loop would never return: the mode plays asynchronously
    tone.SetContinuous(true);
    tone.Play();
    tone.SetFrequency(1000);
    tone.Play();
    tone.Play();
    ASSERT_EQ(device->plays.size(), 3u);
    for (const auto& play : device->plays)
        EXPECT_EQ(play.mode, PlayMode::AsyncLoop);
    EXPECT_NE(device->plays[0].image, device->plays[1].image);
    EXPECT_EQ(device->plays[1].image, device->plays[2].image);
    EXPECT_EQ(device->stops, 0) << "a stop between loops is heard as a gap";
    EXPECT_FALSE(tone.Idle());

    // The envelope does not shape the loop; it shapes the recorded image.
    tone.PlayADSR();
    EXPECT_EQ(device->plays.back().image, device->plays[1].image);
    EXPECT_TRUE(tone.EnvelopeApplied());
}

TEST_F(ContinuousWithFake, TurningTheModeOffLetsASoundingLoopRunToItsEnd)
{
    tone.SetContinuous(true);
    tone.Play();
    tone.SetContinuous(false);
    EXPECT_EQ(device->loopEnds, 1);
    EXPECT_EQ(device->stops, 0);
    tone.SetContinuous(false);
    EXPECT_EQ(device->loopEnds, 1);

    // Nothing loops after Stop or a plain play: nothing to end.
    tone.SetContinuous(true);
    tone.Play();
    tone.Stop();
    tone.SetContinuous(false);
    tone.Play();
    EXPECT_EQ(device->plays.back().mode, PlayMode::Async);
    tone.SetContinuous(true);
    tone.SetContinuous(false);
    EXPECT_EQ(device->loopEnds, 1);
}

} // namespace
} // namespace ondrix::tonegen
