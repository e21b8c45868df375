// The PulseAudio device called from several threads at once while its event
// thread plays; built under ThreadSanitizer as well.
#include "platform/PulseSoundDevice.h"

#include "SoundTestImages.h"
#include "testsupport/PulseServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace ondrix::platform {
namespace {

using namespace std::chrono_literals;
using test::ToneImage;

TEST(SoundDeviceThreadsTest, PlayStopLoopEndAndVolumeFromSeveralThreadsLeaveAWorkingDevice)
{
    testsupport::PulseServer server;
    if (!server.Available()) GTEST_SKIP() << server.WhyUnavailable();
    ASSERT_TRUE(server.KeepSinkAwake());
    std::string error;
    std::shared_ptr<PulseSoundDevice> device = PulseSoundDevice::Connect(2s, &error);
    ASSERT_TRUE(device) << error;

    const std::vector<std::uint8_t> shortTone = ToneImage{.milliseconds = 30}.Build();
    const std::vector<std::uint8_t> loopTone =
        ToneImage{.milliseconds = 20, .bits = 8, .channels = 2, .rate = 96000}.Build();
    std::atomic<bool> done = false;
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
        while (!done)
            device->Play(shortTone.data(), shortTone.size(), PlayMode::Sync);
    });
    // Loops of one format, so that each may take over the one before it.
    const std::vector<std::uint8_t> otherLoop =
        ToneImage{.frequency = 500, .milliseconds = 35, .bits = 8, .channels = 2, .rate = 96000}.Build();
    threads.emplace_back([&] {
        for (bool other = false; !done; other = !other) {
            const std::vector<std::uint8_t>& loop = other ? otherLoop : loopTone;
            device->Play(loop.data(), loop.size(), PlayMode::AsyncLoop);
            std::this_thread::sleep_for(7ms);
        }
    });
    threads.emplace_back([&] {
        for (std::uint32_t word = 0; !done; word += 0x1357'2468u) {
            device->SetVolume(word);
            std::uint32_t read = 0;
            device->GetVolume(read);
            device->Stop();
            std::this_thread::sleep_for(3ms);
            device->EndLoop();
        }
    });
    std::this_thread::sleep_for(1s);
    done = true;
    for (std::thread& thread : threads)
        thread.join();

    // Still in order: a synchronous play lasts as long as its sound. (What is
    // heard is checked in the single-threaded cases; a recorder here would be
    // a second libpulse client, whose lock-free sharing with the first
    // ThreadSanitizer cannot follow.)
    ASSERT_TRUE(device->SetVolume(0xFFFF'FFFFu));
    const std::vector<std::uint8_t> tone = ToneImage{.milliseconds = 200}.Build();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(device->Play(tone.data(), tone.size(), PlayMode::Sync));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
    std::uint32_t word = 0;
    EXPECT_TRUE(device->GetVolume(word));
    EXPECT_EQ(word, 0xFFFF'FFFFu);

    // Released while a loop plays: the stream goes with it.
    EXPECT_TRUE(device->Play(loopTone.data(), loopTone.size(), PlayMode::AsyncLoop));
    device.reset();
}

} // namespace
} // namespace ondrix::platform
