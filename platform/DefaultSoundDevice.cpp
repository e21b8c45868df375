#include "platform/SoundDevice.h"

namespace ondrix::platform {

std::shared_ptr<SoundDevice> DefaultSoundDevice()
{
    static const std::shared_ptr<SoundDevice> device = SilentSoundDevice();
    return device;
}

} // namespace ondrix::platform
