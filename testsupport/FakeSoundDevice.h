#pragma once

#include "platform/SoundDevice.h"

#include <cstdint>
#include <vector>

namespace ondrix::testsupport {

// A sound device that plays nothing and records every call made to it, for
// unit tests of what the tone generator and the instrument ask of the sound.
class FakeSoundDevice final : public platform::SoundDevice
{
  public:
    struct PlayCall
    {
        std::vector<std::uint8_t> image;
        platform::PlayMode mode;
    };

    // Both channels at full volume.
    static constexpr std::uint32_t kFullVolume = 0xFFFFFFFFu;

    // The volume word the device starts with, as the system had it.
    explicit FakeSoundDevice(std::uint32_t startVolume = 0x12345678u) : volume(startVolume) {}

    bool Play(const std::uint8_t* image, std::size_t size, platform::PlayMode mode) override
    {
        plays.push_back({std::vector<std::uint8_t>(image, image + size), mode});
        return true;
    }
    void Stop() override { ++stops; }
    void EndLoop() override { ++loopEnds; }
    bool GetVolume(std::uint32_t& word) override
    {
        ++volumeReads;
        word = volume;
        return true;
    }
    bool SetVolume(std::uint32_t word) override
    {
        volume = word;
        volumeWrites.push_back(word);
        return true;
    }

    std::vector<PlayCall> plays;
    int stops = 0;
    int loopEnds = 0; // a looping tone told to end at its loop's end
    int volumeReads = 0;
    std::uint32_t volume;
    std::vector<std::uint32_t> volumeWrites;
};

} // namespace ondrix::testsupport
