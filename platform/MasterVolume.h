#pragma once

#include <memory>
#include <optional>

namespace ondrix::platform {

// The master volume of the desktop: the volume of the sound server's default
// output (sink), in percent of the unamplified level.
class MasterVolume
{
  public:
    virtual ~MasterVolume() = default;

    // The loudest channel's volume in percent, rounded half to even; above 100
    // when the user has boosted the output. Empty when it cannot be read.
    virtual std::optional<unsigned> GetPercent() = 0;

    // Sets the output's volume to percent, keeping the balance between its
    // channels. Returns once the server has applied it (true) or refused or
    // could not be reached (false), so that changes take effect in the order
    // they were made.
    virtual bool SetPercent(unsigned percent) = 0;
};

// The default sink of the PulseAudio server (or PipeWire's PulseAudio
// service) this process would connect to: $PULSE_SERVER, else the user's
// runtime directory. Never starts a server of its own.
std::shared_ptr<MasterVolume> PulseMasterVolume();

} // namespace ondrix::platform
