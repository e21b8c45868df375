// Tones played through a private sound server with a null sink,
// recorded from the sink's monitor: made by ondrix-tone --play and --loop,
// and a continuous one played by the component itself.
#include "platform/PulseSoundDevice.h"
#include "testsupport/ProcessRunner.h"
#include "testsupport/PulseServer.h"
#include "tonegen/ToneGen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using ondrix::testsupport::FindTone;
using ondrix::testsupport::Process;
using ondrix::testsupport::PulseServer;
using ondrix::testsupport::Recording;

class TonePlayback : public testing::Test
{
  protected:
    void SetUp() override
    {
        if (!server_.Available()) GTEST_SKIP() << server_.WhyUnavailable();
        ASSERT_TRUE(server_.KeepSinkAwake());
    }

    // Records the monitor while `play` runs, with a margin on both sides. A
    // machine too busy to feed the server leaves holes; such a take says
    // nothing about the tone and is recorded again.
    template <typename Play> Recording Record(Play play)
    {
        Recording recording;
        for (int attempt = 1; attempt <= 3; ++attempt) {
            auto recorder = server_.StartRecording();
            EXPECT_TRUE(recorder);
            if (!recorder) return {};
            std::this_thread::sleep_for(100ms);
            play();
            std::this_thread::sleep_for(250ms);
            recording = recorder->Stop();
            const auto left = FindTone(recording, 0);
            const auto right = FindTone(recording, 1);
            if (!left || !right || (left->longestQuiet <= 3 && right->longestQuiet <= 3)) break;
        }
        return recording;
    }

    // Runs ondrix-tone while recording, interrupted as Ctrl+C would after
    // `interruptAfter` when given; it must exit with 0.
    Recording RecordTone(const std::vector<std::string>& arguments,
                         std::optional<std::chrono::milliseconds> interruptAfter = std::nullopt)
    {
        return Record([&] {
            Process tone(ONDRIX_TONE_BIN, arguments);
            if (interruptAfter) {
                std::this_thread::sleep_for(*interruptAfter);
                ::kill(tone.Pid(), SIGINT);
            }
            EXPECT_EQ(tone.Wait(), 0) << tone.Errors();
        });
    }

    PulseServer server_;
};

TEST_F(TonePlayback, PlaysTheWholeToneAtItsFrequency)
{
    const Recording recording = RecordTone({"--freq", "1000", "--duration", "500", "--play"});
    const auto left = FindTone(recording, 0);
    const auto right = FindTone(recording, 1);
    ASSERT_TRUE(left && right) << "nothing heard";
    for (const auto& tone : {*left, *right}) {
        EXPECT_NEAR(tone.frequencyHz, 1000.0, 2.0);
        EXPECT_NEAR(tone.Seconds(recording.sampleRate), 0.500, 0.003);
        EXPECT_GT(tone.peak, 30000);
        EXPECT_LE(tone.longestQuiet, 3u);
    }
}

TEST_F(TonePlayback, LoopPlaysUntilInterrupted)
{
    const Recording recording = RecordTone({"--loop", "--freq", "1000"}, 1500ms);
    const auto tone = FindTone(recording, 0);
    ASSERT_TRUE(tone) << "nothing heard";
    EXPECT_NEAR(tone->frequencyHz, 1000.0, 2.0);
    // The program needs a moment to start and to reach the server.
    EXPECT_GT(tone->Seconds(recording.sampleRate), 1.1);
    EXPECT_LT(tone->Seconds(recording.sampleRate), 1.6);
    EXPECT_LE(tone->longestQuiet, 3u);
}

// The largest step between consecutive samples of the left channel in [first, end).
int LargestStep(const Recording& recording, std::size_t first, std::size_t end)
{
    int largest = 0;
    for (std::size_t i = first + 1; i < end; ++i)
        largest = std::max(largest, std::abs(recording.At(i, 0) - recording.At(i - 1, 0)));
    return largest;
}

// A continuous 440 Hz sine for 2.5 s: heard without a gap, and without a step
// between two samples larger than the steps within a stretch of 20 periods,
// so no seam where the loop starts over; Stop ends it.
TEST_F(TonePlayback, ContinuousToneHasNoSeamAndEndsAtStop)
{
    using namespace ondrix::tonegen;
    std::string error;
    const auto device = ondrix::platform::PulseSoundDevice::Connect(2s, &error);
    ASSERT_TRUE(device) << error;
    for (const bool highRate16BitMono : {true, false}) {
        SCOPED_TRACE(highRate16BitMono ? "96000 Hz, 16 bit, mono" : "44100 Hz, 8 bit, stereo");
        TToneGen tone(device);
        tone.SetQuality(highRate16BitMono ? tgHiQ : tgLoQ);
        tone.SetResolution(highRate16BitMono ? tg16Bit : tg8Bit);
        tone.SetStereo(!highRate16BitMono);
        tone.SetContinuous(true);
        const Recording recording = Record([&] {
            tone.Play();
            std::this_thread::sleep_for(2500ms);
            tone.Stop();
        });

        const auto heard = FindTone(recording, 0);
        ASSERT_TRUE(heard) << "nothing heard";
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
        const int withinPeriods = LargestStep(recording, middle, middle + 20 * rate / 440);
        EXPECT_LE(LargestStep(recording, first, end), withinPeriods * 103 / 100);
    }
}

struct PlayRun
{
    int exitCode = -1;
    std::string err;
    double seconds = 0;
};

// Plays a tone of `ms` in the background and does `meanwhile` to the server
// half a second into it.
PlayRun PlayWhile(int ms, const std::function<void()>& meanwhile)
{
    const auto start = std::chrono::steady_clock::now();
    Process player(ONDRIX_TONE_BIN, {"--duration", std::to_string(ms), "--play"});
    std::this_thread::sleep_for(500ms);
    meanwhile();
    PlayRun run;
    run.exitCode = player.Wait().value_or(-1);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.err = player.Errors();
    return run;
}

TEST(TonePlaybackFailure, ServerThatDiesOrFreezesDuringTheToneIsReported)
{
    {
        PulseServer server;
        if (!server.Available()) GTEST_SKIP() << server.WhyUnavailable();
        const pid_t pid = server.ProtocolProcess();
        ASSERT_GT(pid, 0);
        const PlayRun killed = PlayWhile(3000, [pid] { ::kill(pid, SIGKILL); });
        EXPECT_EQ(killed.exitCode, 1);
        EXPECT_EQ(killed.err.rfind("ondrix-tone: ", 0), 0u) << killed.err;
        EXPECT_LT(killed.seconds, 2.5); // at once, not at the end of the tone
    }
    {
        PulseServer server;
        if (!server.Available()) GTEST_SKIP() << server.WhyUnavailable();
        const pid_t pid = server.ProtocolProcess();
        ASSERT_GT(pid, 0);
        // Frozen: the 1 s tone is given up a few seconds after its end.
        const PlayRun frozen = PlayWhile(1000, [pid] { ::kill(pid, SIGSTOP); });
        ::kill(pid, SIGCONT);
        EXPECT_EQ(frozen.exitCode, 1);
        EXPECT_EQ(frozen.err.rfind("ondrix-tone: ", 0), 0u) << frozen.err;
        EXPECT_GT(frozen.seconds, 1.0);
        EXPECT_LT(frozen.seconds, 10.0);
    }
}

} // namespace
