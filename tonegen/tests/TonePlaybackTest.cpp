// A tone made and played by ondrix-tone --play through a private PulseAudio
// server with a null sink, recorded from the sink's monitor.
#include "testsupport/PulseServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using ondrix::testsupport::FindTone;
using ondrix::testsupport::PulseServer;
using ondrix::testsupport::Recording;

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

// The pulseaudio process of this test's private server, found by the server's
// own folder on its command line.
pid_t ServerProcess(const PulseServer& server)
{
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        const std::string commandLine{std::istreambuf_iterator<char>(in), {}};
        if (commandLine.rfind("pulseaudio", 0) == 0 &&
            commandLine.find(server.Directory()) != std::string::npos)
            return static_cast<pid_t>(std::stol(entry.path().filename().string()));
    }
    return -1;
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
    char pattern[] = "/tmp/ondrix-play-XXXXXX";
    const int fd = ::mkstemp(pattern);
    ::close(fd);
    const std::string command = std::string(ONDRIX_TONE_BIN) + " --duration " + std::to_string(ms) +
                                " --play </dev/null 2>" + pattern;
    const auto start = std::chrono::steady_clock::now();
    auto player = std::async(std::launch::async, [&] { return std::system(command.c_str()); });
    std::this_thread::sleep_for(500ms);
    meanwhile();
    const int status = player.get();
    PlayRun run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(pattern);
    run.err.assign(std::istreambuf_iterator<char>(in), {});
    std::filesystem::remove(pattern);
    return run;
}

TEST(TonePlayback, ServerThatDiesOrFreezesDuringTheToneIsReported)
{
    {
        PulseServer server;
        if (!server.Available()) GTEST_SKIP() << server.WhyUnavailable();
        const pid_t pid = ServerProcess(server);
        ASSERT_GT(pid, 0);
        const PlayRun killed = PlayWhile(3000, [pid] { ::kill(pid, SIGKILL); });
        EXPECT_EQ(killed.exitCode, 1);
        EXPECT_EQ(killed.err.rfind("ondrix-tone: ", 0), 0u) << killed.err;
        EXPECT_LT(killed.seconds, 2.5); // at once, not at the end of the tone
    }
    {
        PulseServer server;
        if (!server.Available()) GTEST_SKIP() << server.WhyUnavailable();
        const pid_t pid = ServerProcess(server);
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
