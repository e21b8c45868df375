// Properties, flags, playback and device volume of the component, through a
// fake sound device that records every call.
#include "tonegen/ToneGen.h"
#include "testsupport/FakeSoundDevice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace ondrix::tonegen {
namespace {

using platform::PlayMode;
using testsupport::FakeSoundDevice;

class ToneGenWithFake : public ::testing::Test
{
  protected:
    std::shared_ptr<FakeSoundDevice> device = std::make_shared<FakeSoundDevice>();
    std::unique_ptr<TToneGen> tone = std::make_unique<TToneGen>(device);
};

TEST(ToneGen, DefaultsAndClamping)
{
    TToneGen tone(platform::SilentSoundDevice());
    EXPECT_EQ(tone.Frequency(), 440);
    EXPECT_EQ(tone.Duration(), 100);
    EXPECT_EQ(tone.Octave(), 4);
    EXPECT_TRUE(tone.WaveDirty() && tone.EnvelopeDirty() && tone.EnvelopeApplied() && tone.Idle());
    for (int i = 0; i < 8; ++i)
        EXPECT_FLOAT_EQ(tone.Slot(static_cast<TTGAMLevel>(i)).frequency, (i + 1) / 2.0f);

    tone.SetFrequency(5);
    EXPECT_EQ(tone.Frequency(), 20);
    tone.SetFrequency(25000);
    EXPECT_EQ(tone.Frequency(), 20000);
    tone.SetDuration(0);
    EXPECT_EQ(tone.Duration(), 10);
    tone.SetSustain(150);
    EXPECT_EQ(tone.Sustain(), 100);
    tone.SetAttack(-3);
    EXPECT_EQ(tone.Attack(), 0);
    tone.SetLeftVolume(101);
    EXPECT_EQ(tone.LeftVolume(), 100);
}

TEST(ToneGen, AMLevelLoadsTheSlotThroughTheClampingSetters)
{
    TToneGen tone(platform::SilentSoundDevice());
    tone.SetAMParameter(tgAMLevel3, 150, tgSquare, 3.0f); // stored unchecked
    EXPECT_EQ(tone.Slot(tgAMLevel3).amplitude, 150);
    tone.SetAMLevel(tgAMLevel3);
    EXPECT_EQ(tone.AMAmplitude(), 100);
    EXPECT_EQ(tone.Slot(tgAMLevel3).amplitude, 100);
    EXPECT_EQ(tone.AMWaveform(), tgSquare);
    EXPECT_FLOAT_EQ(tone.AMFrequency(), 3.0f);
    tone.SetAMAmplitude(30);
    EXPECT_EQ(tone.Slot(tgAMLevel3).amplitude, 30);
    tone.ResetAM();
    EXPECT_EQ(tone.Slot(tgAMLevel3).amplitude, 0);
    EXPECT_EQ(tone.AMAmplitude(), 30); // cached copy untouched
}

TEST_F(ToneGenWithFake, PlayGeneratesOnlyWhenSomethingChanged)
{
    tone->Play();
    ASSERT_EQ(device->plays.size(), 1u);
    // Mark the image: a regenerated one would lose the mark.
    auto* image = const_cast<std::uint8_t*>(tone->GetDataBuffer());
    image[44] = 0x5A;
    tone->Play();
    ASSERT_EQ(device->plays.size(), 2u);
    EXPECT_EQ(device->plays[1].image[44], 0x5A);

    tone->SetWaveform(tgSine); // same value, still marks the wave dirty
    tone->Play();
    EXPECT_EQ(device->plays[2].image[44], 0);
}

TEST_F(ToneGenWithFake, EnvelopeAndPlainPlaysRegenerateEachOther)
{
    tone->SetWaveform(tgSquare);
    tone->Play();
    EXPECT_FALSE(tone->EnvelopeApplied());
    tone->PlayADSR();
    EXPECT_TRUE(tone->EnvelopeApplied());
    const auto plain = device->plays[0].image;
    const auto shaped = device->plays[1].image;
    EXPECT_NE(plain, shaped);
    EXPECT_EQ(shaped[44], 0); // the attack starts from silence

    auto* image = const_cast<std::uint8_t*>(tone->GetDataBuffer());
    image[46] = 0x5A;
    tone->PlayADSR(); // nothing changed: reuses the shaped image
    EXPECT_EQ(device->plays[2].image[46], 0x5A);
    tone->SetDecay(25);
    tone->PlayADSR();
    EXPECT_NE(device->plays[3].image[46], 0x5A);

    tone->Play();
    EXPECT_FALSE(tone->EnvelopeApplied());
    EXPECT_EQ(device->plays[4].image, plain);
}

TEST_F(ToneGenWithFake, PlayModeFollowsAsyncAndLoop)
{
    tone->Play();
    EXPECT_EQ(device->plays.back().mode, PlayMode::Async);
    EXPECT_FALSE(tone->Idle());
    tone->SetLoop(true);
    tone->Play();
    EXPECT_EQ(device->plays.back().mode, PlayMode::AsyncLoop);
    tone->SetAsync(false);
    tone->Play();
    EXPECT_EQ(device->plays.back().mode, PlayMode::AsyncLoop);
    EXPECT_FALSE(tone->Idle());
    tone->SetLoop(false);
    tone->Play();
    EXPECT_EQ(device->plays.back().mode, PlayMode::Sync);
    EXPECT_TRUE(tone->Idle());

    tone->SetAsync(true);
    tone->Play();
    const int stops = device->stops;
    tone->Stop();
    EXPECT_EQ(device->stops, stops + 1);
    EXPECT_TRUE(tone->Idle());
}

TEST_F(ToneGenWithFake, VolumeIsAppliedWhileIdleAndAtEveryPlay)
{
    // The first instance saved the device volume, then set both channels to 100 %.
    EXPECT_EQ(TToneGen::SavedVolume(), 0x12345678u);
    EXPECT_EQ(device->volume, 0xFFFFFFFFu);

    tone->SetLeftVolume(50);
    EXPECT_EQ(device->volume, 32767u + (65535u << 16));
    tone->Play(); // asynchronous: no longer idle
    tone->SetRightVolume(0);
    EXPECT_EQ(device->volume, 32767u + (65535u << 16));
    tone->Play();
    EXPECT_EQ(device->volume, 32767u);
    tone->Stop();
    tone->SetRightVolume(1);
    EXPECT_EQ(device->volume, 32767u + (655u << 16));
}

TEST_F(ToneGenWithFake, LastInstanceRestoresTheSavedVolume)
{
    EXPECT_EQ(TToneGen::InstanceCount(), 1);
    {
        TToneGen second(device);
        EXPECT_EQ(TToneGen::InstanceCount(), 2);
        EXPECT_EQ(device->volumeReads, 1); // only the first instance reads
    }
    EXPECT_NE(device->volume, 0x12345678u);
    tone.reset();
    EXPECT_EQ(TToneGen::InstanceCount(), 0);
    EXPECT_EQ(device->volume, 0x12345678u);
}

TEST_F(ToneGenWithFake, GenerationStopsThePlayerBeforeReleasingTheImage)
{
    tone->Play();
    const int stops = device->stops;
    ASSERT_TRUE(tone->Prepare());
    EXPECT_EQ(device->stops, stops + 1);
}

TEST(AMArrayData, DefaultBlockAndRoundTrip)
{
    TToneGen tone(platform::SilentSoundDevice());
    const auto block = tone.AMArrayData();
    ASSERT_EQ(block.size(), 100u);
    const std::uint8_t head[] = {7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0x00, 0x3F}; // 0.5f
    EXPECT_EQ(std::memcmp(block.data(), head, sizeof head), 0);
    const std::uint8_t last[] = {0x00, 0x00, 0x80, 0x40}; // 4.0f
    EXPECT_EQ(std::memcmp(block.data() + 96, last, 4), 0);

    tone.SetAMParameter(tgAMLevel5, -2, tgNoise, 1.25f);
    const auto changed = tone.AMArrayData();
    EXPECT_EQ(changed[4 + 12 * 4], 0xFE); // −2 sign-extended
    EXPECT_EQ(changed[4 + 12 * 4 + 3], 0xFF);

    TToneGen other(platform::SilentSoundDevice());
    ASSERT_TRUE(other.Prepare());
    ASSERT_TRUE(other.SetAMArrayData(changed));
    EXPECT_EQ(other.Slot(tgAMLevel5).amplitude, -2);
    EXPECT_EQ(other.Slot(tgAMLevel5).waveform, tgNoise);
    EXPECT_FLOAT_EQ(other.Slot(tgAMLevel5).frequency, 1.25f);
    EXPECT_FALSE(other.WaveDirty()); // reading does not mark the wave
}

TEST(AMArrayData, OddBlocksNeverWritePastTheSlots)
{
    TToneGen tone(platform::SilentSoundDevice());
    tone.SetAMParameter(tgAMLevel1, 33, tgSquare, 9.0f);

    std::vector<std::uint8_t> none = {0xFF, 0xFF, 0xFF, 0xFF}; // H = −1
    EXPECT_TRUE(tone.SetAMArrayData(none));
    EXPECT_EQ(tone.Slot(tgAMLevel1).amplitude, 33);

    // H = 11: twelve entries announced and present; the first eight are read.
    std::vector<std::uint8_t> many(4 + 12 * 12, 0);
    many[0] = 11;
    for (int i = 0; i < 12; ++i)
        many[4 + 12 * i] = static_cast<std::uint8_t>(10 + i);
    EXPECT_TRUE(tone.SetAMArrayData(many));
    EXPECT_EQ(tone.Slot(tgAMLevel1).amplitude, 10);
    EXPECT_EQ(tone.Slot(tgAMLevel8).amplitude, 17);

    // Announces eight entries but holds two: rejected whole.
    std::vector<std::uint8_t> truncated(4 + 24, 0);
    truncated[0] = 7;
    EXPECT_FALSE(tone.SetAMArrayData(truncated));
    EXPECT_EQ(tone.Slot(tgAMLevel1).amplitude, 10);
    EXPECT_FALSE(tone.SetAMArrayData(std::vector<std::uint8_t>{7, 0}));
}

} // namespace
} // namespace ondrix::tonegen
