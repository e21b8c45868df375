// The ADSR envelope on a full-level square (|x| = 32767 everywhere), with the
// expected frames worked out by hand from the segment formulas.
#include "ToneSamples.h"
#include "platform/SoundDevice.h"
#include "tonegen/ToneGen.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace ondrix::tonegen {
namespace {

using testing::Sample16;

class Envelope : public ::testing::Test
{
  protected:
    Envelope() { tone.SetWaveform(tgSquare); }

    std::int16_t Frame(int frame) const { return Sample16(tone, 2 * static_cast<std::size_t>(frame)); }

    TToneGen tone{platform::SilentSoundDevice()};
};

TEST_F(Envelope, DefaultSegmentsShapeTheDefaultTone)
{
    // D = 19200, N = 9600 frames. Attack 960 (frames 0…960), hold 480 (961…1441),
    // decay 1920 (1442…3362), sustain 35 % = 3360 (3363…6723), release 2876 (6724…9600).
    ASSERT_TRUE(tone.PrepareADSR());
    EXPECT_EQ(Frame(0), 0);
    EXPECT_EQ(Frame(480), -16383);  // Trunc(480 × −32767 / 960)
    EXPECT_EQ(Frame(1000), 32767);  // hold passes the sample through
    EXPECT_EQ(Frame(3362), -16384); // end of decay: x − Trunc(x × 50 %)
    EXPECT_EQ(Frame(5000), 16383);  // sustain at 50 %
    EXPECT_EQ(Frame(9590), 56);     // Trunc(10 × 32767 × 0.5 / 2876)
    EXPECT_EQ(Frame(9600), 0);      // padding stays silent
    EXPECT_FALSE(tone.EnvelopeDirty());
    EXPECT_FALSE(tone.WaveDirty());
    EXPECT_TRUE(tone.EnvelopeApplied());
}

TEST_F(Envelope, OverfullShapeIsScaledAndLeavesNoFrameUnshaped)
{
    // 60/60/0/0 scales to attack 50 % and hold 50 %: sustain share 0, release skipped.
    tone.SetAttack(60);
    tone.SetHold(60);
    tone.SetDecay(0);
    tone.SetRelease(0);
    ASSERT_TRUE(tone.PrepareADSR());
    EXPECT_EQ(Frame(0), 0);
    EXPECT_EQ(Frame(2000), -13652); // Trunc(2000 × −32767 / 4800)
    for (int frame = 1; frame < 4800; ++frame)
        ASSERT_LT(std::abs(Frame(frame)), 32767) << frame;
    for (int frame = 4800; frame < 9600; ++frame)
        ASSERT_EQ(std::abs(Frame(frame)), 32767) << frame;
}

TEST_F(Envelope, ReleaseEndsOnThePartlyFilledLastFrame)
{
    // 16-bit mono at 44100 Hz for 15 ms: D = 1323, so frame 661 is half data, half padding.
    tone.SetQuality(tgLoQ);
    tone.SetDuration(15);
    ASSERT_TRUE(tone.Prepare());
    ASSERT_EQ(Frame(661), 32767);
    ASSERT_TRUE(tone.PrepareADSR());
    EXPECT_EQ(Frame(661), 0);
    EXPECT_NE(Frame(660), 0);
}

TEST_F(Envelope, EightBitStereoWritesEveryChannel)
{
    tone.SetResolution(tg8Bit);
    tone.SetStereo(true);
    ASSERT_TRUE(tone.PrepareADSR());
    const std::uint8_t* pcm = tone.GetDataBuffer() + 44;
    EXPECT_EQ(pcm[0], 128);
    EXPECT_EQ(pcm[1], 128);
    const std::size_t data = tone.WaveImageSize() - 76;
    for (std::size_t i = 0; i < data; i += 2)
        ASSERT_EQ(pcm[i], pcm[i + 1]) << i;
}

TEST_F(Envelope, ZeroSustainFadesToSilence)
{
    tone.SetAttack(0);
    tone.SetHold(0);
    tone.SetDecay(50);
    tone.SetSustain(0);
    tone.SetRelease(50);
    ASSERT_TRUE(tone.PrepareADSR());
    // Decay reaches about x − x on its last frame (4800); release at gain 0 is silent.
    EXPECT_EQ(Frame(0), -32767);
    EXPECT_LE(std::abs(Frame(4800)), 1);
    for (int frame = 4801; frame <= 9600; ++frame)
        ASSERT_EQ(Frame(frame), 0) << frame;
}

} // namespace
} // namespace ondrix::tonegen
