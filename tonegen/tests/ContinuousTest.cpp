// Continuous mode: the loop image and its seam, and what the component asks
// of its sound device while the mode is on and when it is turned off.
#include "testsupport/FakeSoundDevice.h"
#include "tonegen/Synthesis.h"
#include "tonegen/ToneGen.h"
#include "tonegen/WaveHeader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace ondrix::tonegen {
namespace {

using platform::PlayMode;
using testsupport::FakeSoundDevice;

// The left (or only) channel of PCM data as signed values; a right channel
// must equal it.
std::vector<int> LeftChannel(const std::uint8_t* data, std::size_t length, const SynthesisSettings& form)
{
    const std::size_t sample = form.resolution == tg8Bit ? 1 : 2;
    const std::size_t frame = sample * (form.stereo ? 2 : 1);
    std::vector<int> values;
    for (std::size_t i = 0; i + frame <= length; i += frame) {
        std::int16_t value16;
        std::memcpy(&value16, data + i, 2);
        values.push_back(sample == 1 ? data[i] - 128 : value16);
        if (form.stereo && std::memcmp(data + i, data + i + sample, sample) != 0)
            ADD_FAILURE() << "frame " << i;
    }
    return values;
}

// Two seconds of the tone synthesised without a break, on the loop's period grid.
std::vector<int> EndlessTwoSeconds(SynthesisSettings settings)
{
    settings.duration = 2 * TToneGen::kLoopMilliseconds;
    settings.stereo = false;
    settings.exactPeriods = true;
    const std::size_t length = LayoutOf(settings).dataLength;
    std::vector<std::uint8_t> data(length + kWavePadding);
    RenderTone(settings, nullptr, data.data(), length);
    return LeftChannel(data.data(), length, settings);
}

// The loop image holds one second. Its first sample follows its last without
// a step larger than any within it, and more: as the next sample of an endless
// synthesis would, so the loop played twice is two seconds of the same tone.
// 91 Hz at 96000 Hz is a case where the recorded tone's period grid
// (Trunc(n × P) in doubles) would close one sample short.
TEST(ContinuousLoop, EveryWaveRateSampleSizeAndPartialJoinsWithoutASeam)
{
    std::vector<SynthesisSettings> cases;
    for (TTGWave wave : {tgSine, tgSquare, tgTriangle, tgSawtooth, tgNoise})
        for (std::int16_t frequency : {20, 91, 440, 997, 1000, 19999, 20000})
            for (TTGQuality quality : {tgHiQ, tgLoQ})
                for (TTGResolution resolution : {tg16Bit, tg8Bit})
                    for (bool stereo : {false, true})
                        cases.push_back({.frequency = frequency,
                                         .waveform = wave,
                                         .resolution = resolution,
                                         .quality = quality,
                                         .stereo = stereo});
    SynthesisSettings partials{.frequency = 997, .waveform = tgSawtooth};
    partials.slots[0] = {30, tgTriangle, 1.5f};  // 1495 Hz
    partials.slots[1] = {20, tgSquare, 0.0913f}; // Trunc(91.0261) = 91 Hz
    cases.push_back(partials);
    const SynthesisSettings& withPartials = cases.back();

    auto device = std::make_shared<FakeSoundDevice>();
    TToneGen tone(device);
    tone.SetContinuous(true);
    for (const SynthesisSettings& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "wave " << int(c.waveform) << ", " << c.frequency << " Hz, quality " << int(c.quality)
                     << ", resolution " << int(c.resolution) << (c.stereo ? ", stereo" : ""));
        tone.SetWaveform(c.waveform);
        tone.SetFrequency(c.frequency);
        tone.SetQuality(c.quality);
        tone.SetResolution(c.resolution);
        tone.SetStereo(c.stereo);
        for (int slot = 0; slot < kAMSlotCount; ++slot) {
            const AMSlot& s = c.slots[slot];
            tone.SetAMParameter(static_cast<TTGAMLevel>(slot), s.amplitude, s.waveform, s.frequency);
        }
        tone.Play();
        ASSERT_EQ(device->plays.back().mode, PlayMode::AsyncLoop);
        const std::vector<std::uint8_t>& image = device->plays.back().image;
        ASSERT_TRUE(std::equal(image.begin(), image.end(), tone.GetLoopBuffer()));
        const std::size_t dataLength =
            (c.quality == tgHiQ ? 96000 : 44100) * (c.resolution == tg8Bit ? 1 : 2) * (c.stereo ? 2 : 1);
        ASSERT_EQ(image.size(), kWaveHeaderSize + dataLength + kWavePadding);
        const std::vector<int> loop = LeftChannel(image.data() + kWaveHeaderSize, dataLength, c);
        if (c.waveform == tgNoise) continue; // may restart with a click, must only not fail

        int largestStep = 0;
        for (std::size_t i = 1; i < loop.size(); ++i)
            largestStep = std::max(largestStep, std::abs(loop[i] - loop[i - 1]));
        // With partials, every component starts a period at the seam, as
        // once a second in an endless synthesis: a step found nowhere inside.
        if (&c != &withPartials) {
            EXPECT_LE(std::abs(loop.front() - loop.back()), largestStep);
        }

        const std::vector<int> endless = EndlessTwoSeconds(c);
        ASSERT_EQ(endless.size(), 2 * loop.size());
        const auto firstRound = std::mismatch(loop.begin(), loop.end(), endless.begin());
        EXPECT_EQ(firstRound.first, loop.end()) << "parts at sample " << firstRound.first - loop.begin();
        const auto secondRound = std::mismatch(loop.begin(), loop.end(), firstRound.second);
        EXPECT_EQ(secondRound.first, loop.end())
            << "parts after the seam at " << secondRound.first - loop.begin();
    }
}

class ContinuousWithFake : public ::testing::Test
{
  protected:
    std::shared_ptr<FakeSoundDevice> device = std::make_shared<FakeSoundDevice>();
    TToneGen tone{device};
};

// What is recorded stays one Duration of the tone, and the loop is that same
// tone: where both period grids agree (440 Hz) their first 100 ms are equal.
TEST_F(ContinuousWithFake, RecordsOneDurationAndLoopsTheSameTone)
{
    TToneGen once(device);
    once.Play();
    const std::vector<std::uint8_t> single(once.GetDataBuffer(), once.GetDataBuffer() + once.WaveImageSize());
    tone.SetContinuous(true);
    tone.Play();
    ASSERT_EQ(tone.WaveImageSize(), single.size());
    EXPECT_TRUE(std::equal(single.begin(), single.end(), tone.GetDataBuffer()));
    EXPECT_TRUE(std::equal(single.begin() + 44, single.end() - 32, tone.GetLoopBuffer() + 44));
}

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
