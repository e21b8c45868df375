#include "platform/SoundDevice.h"

#include <mutex>

namespace ondrix::platform {
namespace {

class SilentDevice final : public SoundDevice {
public:
    bool Play(const std::uint8_t* image, std::size_t size, PlayMode) override
    {
        return image != nullptr && size >= 44;
    }
    void Stop() override {}
    bool GetVolume(std::uint32_t& word) override
    {
        std::lock_guard lock(mutex_);
        word = volume_;
        return true;
    }
    bool SetVolume(std::uint32_t word) override
    {
        std::lock_guard lock(mutex_);
        volume_ = word;
        return true;
    }

private:
    std::mutex mutex_;
    std::uint32_t volume_ = 0xFFFFFFFFu;
};

} // namespace

std::shared_ptr<SoundDevice> SilentSoundDevice()
{
    return std::make_shared<SilentDevice>();
}

} // namespace ondrix::platform
