#pragma once

#include "platform/SoundDevice.h"

#include <cstdint>
#include <vector>

namespace ondrix::tonegen::testing {

// Records every call the tone generator makes to its sound device.
class FakeSoundDevice final : public platform::SoundDevice
{
  public:
    struct PlayCall
    {
        std::vector<std::uint8_t> image;
        platform::PlayMode mode;
    };

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
    int loopEnds = 0;
    int volumeReads = 0;
    std::uint32_t volume = 0x12345678u;
    std::vector<std::uint32_t> volumeWrites;
};

} // namespace ondrix::tonegen::testing
