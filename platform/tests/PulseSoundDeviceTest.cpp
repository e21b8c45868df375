// The PulseAudio device against a real server with a null sink: what is
// played is recorded from the sink's monitor and measured.
//
// When a stream joins, the sink re-renders the few milliseconds it had mixed
// ahead; the monitor has passed those on already and skips as much of the new
// mix. A listener hears all of it, but a recording can miss up to the sink's
// latency of a sound's start. Tones whose length is measured therefore begin
// with 20 ms of silence.
#include "platform/PulseSoundDevice.h"
#include "platform/PulseServerAddress.h"

#include "SoundTestImages.h"
#include "testsupport/PulseServer.h"
#include "testsupport/ScopedEnvironment.h"
#include "testsupport/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace ondrix::platform {
namespace {

using namespace std::chrono_literals;
using test::ToneImage;
using testsupport::FindTone;
using testsupport::PulseServer;
using testsupport::Recording;

constexpr unsigned kLeft = 0;
constexpr unsigned kRight = 1;

class PulseSoundDeviceTest : public testing::Test
{
  protected:
    // One server for every case of this executable (ctest runs each case in
    // a process of its own, so this is one per case there).
    static void SetUpTestSuite()
    {
        server_ = new PulseServer();
        if (server_->Available()) {
            EXPECT_TRUE(server_->KeepSinkAwake());
        }
    }
    static void TearDownTestSuite()
    {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override
    {
        if (!server_->Available()) GTEST_SKIP() << server_->WhyUnavailable();
        std::string error;
        device_ = PulseSoundDevice::Connect(2s, &error);
        ASSERT_TRUE(device_) << error;
    }

    // Records the monitor while `play` runs, plus a margin on both sides so
    // that nothing of the sound's start or end is missed. A machine too busy
    // to keep the server fed leaves silent holes in a tone; such a recording
    // says nothing about the device and is taken again (a device that leaves
    // holes every time still fails).
    template <typename Play> Recording Record(Play play, std::chrono::milliseconds after = 200ms)
    {
        Recording recording;
        for (int attempt = 1; attempt <= 3; ++attempt) {
            std::unique_ptr<testsupport::MonitorRecorder> recorder = server_->StartRecording();
            EXPECT_TRUE(recorder);
            if (!recorder) return {};
            std::this_thread::sleep_for(100ms);
            play();
            std::this_thread::sleep_for(after);
            recording = recorder->Stop();
            if (!HasHoles(recording)) break;
            std::fprintf(stderr, "dropout in recording %d (machine busy?), playing again\n", attempt);
        }
        return recording;
    }

    static bool HasHoles(const Recording& recording)
    {
        for (unsigned channel : {kLeft, kRight}) {
            const auto tone = FindTone(recording, channel);
            if (tone && tone->longestQuiet > 3) return true;
        }
        return false;
    }

    static PulseServer* server_;
    std::shared_ptr<PulseSoundDevice> device_;
};

PulseServer* PulseSoundDeviceTest::server_ = nullptr;

TEST_F(PulseSoundDeviceTest, PlaysTheWholeToneAtItsFrequencyInEveryFormat)
{
    for (int bits : {16, 8}) {
        for (int channels : {1, 2}) {
            for (unsigned rate : {96000u, 44100u}) {
                SCOPED_TRACE(testing::Message() << bits << " bit, " << channels << " ch, " << rate << " Hz");
                const std::vector<std::uint8_t> image = ToneImage{.milliseconds = 250,
                                                                  .bits = bits,
                                                                  .channels = channels,
                                                                  .rate = rate,
                                                                  .leadInMilliseconds = 20}
                                                            .Build();
                const Recording recording =
                    Record([&] { EXPECT_TRUE(device_->Play(image.data(), image.size(), PlayMode::Sync)); });
                for (unsigned channel : {kLeft, kRight}) {
                    const auto tone = FindTone(recording, channel);
                    ASSERT_TRUE(tone) << "nothing heard on channel " << channel;
                    EXPECT_NEAR(tone->frequencyHz, 1000.0, 2.0);
                    EXPECT_NEAR(tone->Seconds(recording.sampleRate), 0.250, 0.002);
                    EXPECT_NEAR(tone->peak, 0.9 * 32767, 0.03 * 32767);
                    EXPECT_LE(tone->longestQuiet, 3u);
                }
            }
        }
    }
}

TEST_F(PulseSoundDeviceTest, AsyncPlayReturnsAtOnceAndUsesItsOwnCopyOfTheImage)
{
    Recording recording = Record(
        [&] {
            auto image = std::make_unique<std::vector<std::uint8_t>>(
                ToneImage{.milliseconds = 600, .leadInMilliseconds = 20}.Build());
            const auto start = std::chrono::steady_clock::now();
            EXPECT_TRUE(device_->Play(image->data(), image->size(), PlayMode::Async));
            EXPECT_LT(std::chrono::steady_clock::now() - start, 300ms) << "Async play waited for the sound";
            // The caller may rewrite and release its buffer at once.
            std::fill(image->begin() + 44, image->end(), 0x55);
            image.reset();
        },
        800ms);
    const auto tone = FindTone(recording, kLeft);
    ASSERT_TRUE(tone);
    EXPECT_NEAR(tone->frequencyHz, 1000.0, 2.0);
    EXPECT_NEAR(tone->Seconds(recording.sampleRate), 0.600, 0.002);
}

TEST_F(PulseSoundDeviceTest, StopAndANewPlayCutTheSoundingOneShort)
{
    const std::vector<std::uint8_t> longTone =
        ToneImage{.milliseconds = 3000, .channels = 2, .right = 0}.Build();
    const std::vector<std::uint8_t> rightTone =
        ToneImage{.frequency = 2000, .milliseconds = 200, .channels = 2, .left = 0, .leadInMilliseconds = 20}
            .Build();
    Recording recording = Record([&] {
        EXPECT_TRUE(device_->Play(longTone.data(), longTone.size(), PlayMode::Async));
        std::this_thread::sleep_for(200ms);
        device_->Stop();
        device_->Stop(); // harmless when nothing plays
    });
    auto tone = FindTone(recording, kLeft);
    ASSERT_TRUE(tone);
    EXPECT_LT(tone->Seconds(recording.sampleRate), 0.5);

    recording = Record([&] {
        EXPECT_TRUE(device_->Play(longTone.data(), longTone.size(), PlayMode::Async));
        std::this_thread::sleep_for(200ms);
        EXPECT_TRUE(device_->Play(rightTone.data(), rightTone.size(), PlayMode::Sync));
    });
    tone = FindTone(recording, kLeft);
    const auto replacement = FindTone(recording, kRight);
    ASSERT_TRUE(tone && replacement);
    EXPECT_LT(tone->Seconds(recording.sampleRate), 0.5);
    EXPECT_NEAR(replacement->frequencyHz, 2000.0, 4.0);
    EXPECT_NEAR(replacement->Seconds(recording.sampleRate), 0.200, 0.002);
}

TEST_F(PulseSoundDeviceTest, LoopRepeatsTheImageWithoutAGapUntilStopped)
{
    // 50 ms of 1000 Hz at 44100 Hz is exactly 50 periods, so the repeats join seamlessly.
    const std::vector<std::uint8_t> image = ToneImage{.milliseconds = 50}.Build();
    const Recording recording = Record([&] {
        EXPECT_TRUE(device_->Play(image.data(), image.size(), PlayMode::AsyncLoop));
        std::this_thread::sleep_for(500ms);
        device_->Stop();
    });
    const auto tone = FindTone(recording, kLeft);
    ASSERT_TRUE(tone);
    EXPECT_GT(tone->Seconds(recording.sampleRate), 0.4) << "the loop did not repeat";
    EXPECT_LT(tone->Seconds(recording.sampleRate), 0.6) << "Stop did not end the loop";
    EXPECT_LE(tone->longestQuiet, 3u) << "a gap between repeats";
    EXPECT_NEAR(tone->frequencyHz, 1000.0, 2.0);
}

TEST_F(PulseSoundDeviceTest, ALoopReplacingALoopFollowsItWithoutAGap)
{
    // 50 ms of 1000 Hz on the left, then 50 ms of 2000 Hz on the right: both
    // whole periods, the second taking over the first's stream.
    const std::vector<std::uint8_t> left = ToneImage{.milliseconds = 50, .channels = 2, .right = 0}.Build();
    const std::vector<std::uint8_t> right =
        ToneImage{.frequency = 2000, .milliseconds = 50, .channels = 2, .left = 0}.Build();
    // The streams playing into the sink: this device's and the one keeping
    // the sink awake. The server hides a short gap between two streams from
    // the monitor, so that the stream goes on is checked here.
    auto streams = [] {
        std::string list;
        EXPECT_TRUE(server_->Pactl({"list", "short", "sink-inputs"}, &list));
        return list;
    };
    std::string whileFirst, whileSecond;
    const Recording recording = Record([&] {
        EXPECT_TRUE(device_->Play(left.data(), left.size(), PlayMode::AsyncLoop));
        std::this_thread::sleep_for(300ms);
        whileFirst = streams();
        EXPECT_TRUE(device_->Play(right.data(), right.size(), PlayMode::AsyncLoop));
        std::this_thread::sleep_for(300ms);
        whileSecond = streams();
        device_->Stop();
    });
    EXPECT_EQ(whileFirst, whileSecond) << "the second loop started a stream of its own";
    const auto first = FindTone(recording, kLeft);
    const auto second = FindTone(recording, kRight);
    ASSERT_TRUE(first && second);
    EXPECT_GT(first->Seconds(recording.sampleRate), 0.25);
    EXPECT_GT(second->Seconds(recording.sampleRate), 0.25);
    // Below the threshold for at most a sample or two around a zero crossing.
    const std::size_t firstEnd = first->firstFrame + first->frames;
    EXPECT_GE(second->firstFrame + 1, firstEnd);
    EXPECT_LE(second->firstFrame, firstEnd + 3) << "a gap between the loops";
    EXPECT_LE(second->longestQuiet, 3u);
}

TEST_F(PulseSoundDeviceTest, EndLoopLetsTheLoopPlayToTheEndOfItsImage)
{
    device_->EndLoop(); // harmless when nothing loops
    // 300 ms, ended during its second round: heard for 600 ms.
    const std::vector<std::uint8_t> image = ToneImage{.milliseconds = 300}.Build();
    const Recording recording = Record(
        [&] {
            EXPECT_TRUE(device_->Play(image.data(), image.size(), PlayMode::AsyncLoop));
            std::this_thread::sleep_for(450ms);
            device_->EndLoop();
        },
        600ms);
    const auto tone = FindTone(recording, kLeft);
    ASSERT_TRUE(tone);
    EXPECT_NEAR(tone->Seconds(recording.sampleRate), 0.600, 0.03);
    EXPECT_LE(tone->longestQuiet, 3u);
}

TEST_F(PulseSoundDeviceTest, SyncPlayReturnsOnlyWhenTheSoundHasBeenPlayed)
{
    // Left tone, then at once a right tone: had the first play returned early,
    // the second would have cut its end off.
    const std::vector<std::uint8_t> first =
        ToneImage{.milliseconds = 300, .channels = 2, .right = 0, .leadInMilliseconds = 20}.Build();
    const std::vector<std::uint8_t> second =
        ToneImage{.frequency = 2000, .milliseconds = 100, .channels = 2, .left = 0, .leadInMilliseconds = 20}
            .Build();
    std::chrono::steady_clock::duration firstCall{};
    const Recording recording = Record([&] {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(device_->Play(first.data(), first.size(), PlayMode::Sync));
        firstCall = std::chrono::steady_clock::now() - start;
        EXPECT_TRUE(device_->Play(second.data(), second.size(), PlayMode::Sync));
    });
    EXPECT_GE(firstCall, 300ms);
    const auto left = FindTone(recording, kLeft);
    const auto right = FindTone(recording, kRight);
    ASSERT_TRUE(left && right);
    EXPECT_NEAR(left->Seconds(recording.sampleRate), 0.300, 0.002);
    EXPECT_NEAR(right->Seconds(recording.sampleRate), 0.100, 0.002);
    EXPECT_GE(right->firstFrame, left->firstFrame + left->frames);
}

TEST_F(PulseSoundDeviceTest, VolumeWordScalesEachChannelOfThisProgramOnly)
{
    std::uint32_t word = 0;
    ASSERT_TRUE(device_->GetVolume(word));
    EXPECT_EQ(word, 0xFFFFFFFFu);
    ASSERT_TRUE(server_->SetSinkVolumePercent(100));

    const std::vector<std::uint8_t> image = ToneImage{.milliseconds = 150, .channels = 2}.Build();
    // Left at half, right at a quarter; kept for every later sound.
    ASSERT_TRUE(device_->SetVolume(0x4000'8000u));
    ASSERT_TRUE(device_->GetVolume(word));
    EXPECT_EQ(word, 0x4000'8000u);
    for (int play = 0; play < 2; ++play) {
        const Recording recording =
            Record([&] { EXPECT_TRUE(device_->Play(image.data(), image.size(), PlayMode::Sync)); });
        const auto left = FindTone(recording, kLeft, 500);
        const auto right = FindTone(recording, kRight, 500);
        ASSERT_TRUE(left && right);
        EXPECT_NEAR(left->peak, 0.9 * 32767 * 0x8000 / 65535, 400);
        EXPECT_NEAR(right->peak, 0.9 * 32767 * 0x4000 / 65535, 400);
    }
    EXPECT_EQ(server_->SinkVolumePercent(), 100) << "the sink (master) volume was changed";

    // 8-bit samples are scaled around their midpoint 128.
    const std::vector<std::uint8_t> eightBit = ToneImage{.milliseconds = 150, .bits = 8}.Build();
    ASSERT_TRUE(device_->SetVolume(0x0000'FFFFu));
    const Recording recording =
        Record([&] { EXPECT_TRUE(device_->Play(eightBit.data(), eightBit.size(), PlayMode::Sync)); });
    const auto left = FindTone(recording, kLeft, 500);
    ASSERT_TRUE(left);
    EXPECT_NEAR(left->peak, 0.9 * 32767, 0.03 * 32767);
    EXPECT_FALSE(FindTone(recording, kRight, 500)) << "right channel at level 0 was heard";
    EXPECT_EQ(server_->SinkVolumePercent(), 100);
}

TEST_F(PulseSoundDeviceTest, RefusesImagesItCannotPlay)
{
    std::vector<std::uint8_t> image = ToneImage{.milliseconds = 50}.Build();
    EXPECT_FALSE(device_->Play(nullptr, 0, PlayMode::Sync));
    EXPECT_FALSE(device_->Play(image.data(), 30, PlayMode::Async));
    image[20] = 0x55; // not PCM
    EXPECT_FALSE(device_->Play(image.data(), image.size(), PlayMode::Sync));
    // Four channels: a valid image, but not a stereo or mono one.
    image = ToneImage{.milliseconds = 50, .channels = 4}.Build();
    EXPECT_FALSE(device_->Play(image.data(), image.size(), PlayMode::Sync));
    // An empty data chunk plays nothing and ends at once.
    image = ToneImage{.milliseconds = 0}.Build();
    EXPECT_TRUE(device_->Play(image.data(), image.size(), PlayMode::Sync));
}

// The sound server goes away (a desktop restarts it): plays fail meanwhile
// without hanging, and the device finds the new server by itself.
TEST(SoundDeviceReconnectTest, AfterTheServerIsRestartedTheDevicePlaysAgain)
{
    const std::vector<std::uint8_t> image = ToneImage{.milliseconds = 100, .leadInMilliseconds = 20}.Build();
    std::shared_ptr<PulseSoundDevice> device;
    {
        PulseServer first;
        if (!first.Available()) GTEST_SKIP() << first.WhyUnavailable();
        std::string error;
        device = PulseSoundDevice::Connect(2s, &error);
        ASSERT_TRUE(device) << error;
        EXPECT_TRUE(device->Play(image.data(), image.size(), PlayMode::AsyncLoop));
    }
    EXPECT_FALSE(device->Play(image.data(), image.size(), PlayMode::Sync));
    device->Stop();

    PulseServer second;
    ASSERT_TRUE(second.Available()) << second.WhyUnavailable();
    ASSERT_TRUE(second.KeepSinkAwake());
    std::unique_ptr<testsupport::MonitorRecorder> recorder = second.StartRecording();
    ASSERT_TRUE(recorder);
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(device->Play(image.data(), image.size(), PlayMode::Sync));
    std::this_thread::sleep_for(100ms);
    const Recording recording = recorder->Stop();
    const auto tone = FindTone(recording, kLeft);
    ASSERT_TRUE(tone);
    EXPECT_NEAR(tone->frequencyHz, 1000.0, 5.0);
}

// No server at all: a silent stand-in that says so once, and libpulse is not
// allowed to start a server of its own.
TEST(SoundDeviceFallbackTest, WithoutAServerASilentDeviceStandsInAndSaysSoOnce)
{
    const testsupport::TempFolder folder;
    const std::string pattern = folder.Path().string();
    const testsupport::ScopedEnvironment home("HOME", pattern);
    const testsupport::ScopedEnvironment runtime("XDG_RUNTIME_DIR", pattern);
    const testsupport::ScopedEnvironment config("XDG_CONFIG_HOME", pattern);
    const testsupport::ScopedEnvironment server("PULSE_SERVER", "unix:" + pattern + "/pulse/native");

    std::FILE* warnings = std::tmpfile();
    ASSERT_NE(warnings, nullptr);
    const std::shared_ptr<SoundDevice> device = OpenSoundDevice(2s, warnings);
    ASSERT_TRUE(device);
    EXPECT_EQ(dynamic_cast<PulseSoundDevice*>(device.get()), nullptr);
    std::rewind(warnings);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), warnings));
    std::fclose(warnings);
    EXPECT_NE(text.find("ondrix: no sound server reachable"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_FALSE(std::filesystem::exists(pattern + "/pulse/native")) << "a server was started";

    // Every operation still works.
    const std::vector<std::uint8_t> image = ToneImage{.milliseconds = 50}.Build();
    EXPECT_TRUE(device->Play(image.data(), image.size(), PlayMode::Sync));
    device->Stop();
    std::uint32_t word = 0;
    EXPECT_TRUE(device->SetVolume(0x1234'5678u));
    EXPECT_TRUE(device->GetVolume(word));
    EXPECT_EQ(word, 0x1234'5678u);
}

TEST(PulseServerAddress, MissingHomeIsNeverCreatedByTheServerSearch)
{
    const testsupport::TempFolder folder;
    const testsupport::ScopedEnvironment noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    const testsupport::ScopedEnvironment noServer("PULSE_SERVER", std::nullopt);
    const testsupport::ScopedEnvironment noRuntimePath("PULSE_RUNTIME_PATH", std::nullopt);
    decltype(PulseSoundDevice::Connect(500ms)) device;
    bool homeMade = false;
    {
        const testsupport::ScopedEnvironment missingHome("HOME",
                                                         (folder.Path() / "nonexistent" / "home").string());
        EXPECT_STREQ(PulseServerAddress(), "unix:/var/run/pulse/native");
        device = PulseSoundDevice::Connect(500ms);
        homeMade = std::filesystem::exists(folder.Path() / "nonexistent");
    }
    const testsupport::ScopedEnvironment existingHome("HOME", folder.Path().string());
    EXPECT_EQ(PulseServerAddress(), nullptr); // an existing home: the library's own search
    EXPECT_EQ(device, nullptr);
    EXPECT_FALSE(homeMade);
}

} // namespace
} // namespace ondrix::platform
