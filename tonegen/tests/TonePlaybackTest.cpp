// Tones played through a private PulseAudio server with a null sink,
// recorded from the sink's monitor: one made by ondrix-tone --play, and a
// continuous one played by the component itself.
#include "platform/PulseSoundDevice.h"
#include "testsupport/PulseServer.h"
#include "tonegen/ToneGen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using ondrix::testsupport::FindTone;
using ondrix::testsupport::PulseServer;
using ondrix::testsupport::Recording;
using ondrix::testsupport::ToneSpan;

TEST(TonePlayback, PlaysTheWholeToneAtItsFrequency)
{
    PulseServer server;
    if (!server.Available()) GTEST_SKIP() << server.WhyUnavailable();
    ASSERT_TRUE(server.KeepSinkAwake());

    const std::string command =
        std::string(ONDRIX_TONE_BIN) + " --freq 1000 --duration 500 --play </dev/null";
    // A machine too busy to feed the server leaves holes; such a take says
    // nothing about the tone and is recorded again.
    for (int attempt = 1; attempt <= 3; ++attempt) {
        auto recorder = server.StartRecording();
        ASSERT_TRUE(recorder);
        std::this_thread::sleep_for(100ms);
        const int status = std::system(command.c_str());
        std::this_thread::sleep_for(200ms);
        const Recording recording = recorder->Stop();
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;

        const auto left = FindTone(recording, 0);
        const auto right = FindTone(recording, 1);
        ASSERT_TRUE(left && right) << "nothing heard";
        if ((left->longestQuiet > 3 || right->longestQuiet > 3) && attempt < 3) continue;
        for (const auto& tone : {*left, *right}) {
            EXPECT_NEAR(tone.frequencyHz, 1000.0, 2.0);
            EXPECT_NEAR(tone.Seconds(recording.sampleRate), 0.500, 0.003);
            EXPECT_GT(tone.peak, 30000);
            EXPECT_LE(tone.longestQuiet, 3u);
        }
        break;
    }
}

TEST(TonePlayback, LoopPlaysUntilInterrupted)
{
    PulseServer server;
    if (!server.Available()) GTEST_SKIP() << server.WhyUnavailable();
    ASSERT_TRUE(server.KeepSinkAwake());

    const std::string command = "sh -c '" + std::string(ONDRIX_TONE_BIN) +
                                " --loop --freq 1000 </dev/null & sleep 1.5; kill -INT $!; wait $!'";
    for (int attempt = 1; attempt <= 3; ++attempt) {
        auto recorder = server.StartRecording();
        ASSERT_TRUE(recorder);
        std::this_thread::sleep_for(100ms);
        const int status = std::system(command.c_str());
        std::this_thread::sleep_for(200ms);
        const Recording recording = recorder->Stop();
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;

        const auto tone = FindTone(recording, 0);
        ASSERT_TRUE(tone) << "nothing heard";
        if (tone->longestQuiet > 3 && attempt < 3) continue;
        EXPECT_NEAR(tone->frequencyHz, 1000.0, 2.0);
        // The program needs a moment to start and to reach the server.
        EXPECT_GT(tone->Seconds(recording.sampleRate), 1.1);
        EXPECT_LT(tone->Seconds(recording.sampleRate), 1.6);
        EXPECT_LE(tone->longestQuiet, 3u);
        break;
    }
}

// The largest step between consecutive samples of one channel in [first, end).
int LargestStep(const Recording& recording, unsigned channel, std::size_t first, std::size_t end)
{
    int largest = 0;
    for (std::size_t i = first + 1; i < end; ++i)
        largest = std::max(largest, std::abs(recording.At(i, channel) - recording.At(i - 1, channel)));
    return largest;
}

// A continuous 440 Hz sine for 2.5 s: heard without a gap, and without a step
// between two samples larger than the steps within a stretch of 20 periods,
// so no seam where the loop starts over; Stop ends it.
TEST(TonePlayback, ContinuousToneHasNoSeamAndEndsAtStop)
{
    using namespace ondrix;
    PulseServer server;
    if (!server.Available()) GTEST_SKIP() << server.WhyUnavailable();
    ASSERT_TRUE(server.KeepSinkAwake());
    std::string error;
    const std::shared_ptr<platform::PulseSoundDevice> device =
        platform::PulseSoundDevice::Connect(2s, &error);
    ASSERT_TRUE(device) << error;

    struct Form
    {
        tonegen::TTGQuality quality;
        tonegen::TTGResolution resolution;
        bool stereo;
    };
    for (const Form form :
         {Form{tonegen::tgHiQ, tonegen::tg16Bit, false}, Form{tonegen::tgLoQ, tonegen::tg8Bit, true}}) {
        SCOPED_TRACE(form.quality == tonegen::tgHiQ ? "96000 Hz, 16 bit, mono" : "44100 Hz, 8 bit, stereo");
        tonegen::TToneGen tone(device);
        tone.SetQuality(form.quality);
        tone.SetResolution(form.resolution);
        tone.SetStereo(form.stereo);
        tone.SetContinuous(true);
        for (int attempt = 1; attempt <= 3; ++attempt) {
            auto recorder = server.StartRecording();
            ASSERT_TRUE(recorder);
            std::this_thread::sleep_for(100ms);
            tone.Play();
            std::this_thread::sleep_for(2500ms);
            tone.Stop();
            std::this_thread::sleep_for(300ms);
            const Recording recording = recorder->Stop();

            const std::optional<ToneSpan> heard = FindTone(recording, 0);
            ASSERT_TRUE(heard) << "nothing heard";
            if (heard->longestQuiet > 3 && attempt < 3) continue; // a machine too busy to feed the server
            EXPECT_LE(heard->longestQuiet, 3u);
            EXPECT_NEAR(heard->frequencyHz, 440.0, 1.0);
            EXPECT_GT(heard->peak, 30000);
            EXPECT_NEAR(heard->Seconds(recording.sampleRate), 2.5, 0.12) << "Stop did not end the tone";

            // The sink may skip a little of a new stream's start, and Stop cuts
            // the wave anywhere: both ends are left out.
            const std::size_t rate = recording.sampleRate;
            const std::size_t first = heard->firstFrame + rate / 20;
            const std::size_t end = heard->firstFrame + heard->frames - rate / 100;
            const std::size_t middle = (first + end) / 2;
            const int withinPeriods = LargestStep(recording, 0, middle, middle + 20 * rate / 440);
            EXPECT_LE(LargestStep(recording, 0, first, end), withinPeriods * 103 / 100);
            break;
        }
    }
}

} // namespace
