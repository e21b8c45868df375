#include "platform/PulseSoundDevice.h"
#include "platform/SoundDevice.h"

#include <string>

namespace ondrix::platform {

std::shared_ptr<SoundDevice> OpenSoundDevice(std::chrono::milliseconds timeout, std::FILE* warnings)
{
    std::string reason;
    if (std::shared_ptr<SoundDevice> device = PulseSoundDevice::Connect(timeout, &reason)) return device;
    if (warnings != nullptr) {
        std::fprintf(warnings, "ondrix: no sound server reachable (%s); sound output is silent\n",
                     reason.c_str());
        std::fflush(warnings);
    }
    return SilentSoundDevice();
}

std::shared_ptr<SoundDevice> DefaultSoundDevice()
{
    // A local server answers at once; the limit only matters for a remote
    // PULSE_SERVER that does not answer.
    static const std::shared_ptr<SoundDevice> device =
        OpenSoundDevice(std::chrono::milliseconds(1500), stderr);
    return device;
}

} // namespace ondrix::platform
