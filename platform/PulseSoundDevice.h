#pragma once

#include "platform/SoundDevice.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

struct pa_context;
struct pa_threaded_mainloop;

namespace ondrix::platform {

// Plays WAV images through a PulseAudio sound server (PipeWire desktops serve
// the same protocol). One playback stream at a time, fed from the device's own
// copy of the image in small pieces, so that Stop and volume changes take
// effect within a few tens of milliseconds. The volume word scales the
// samples of this program's stream only; the server's sink volume is never
// touched. All members may be called from any thread.
class PulseSoundDevice final : public SoundDevice
{
  public:
    // Connects to the server libpulse finds (PULSE_SERVER, the user's runtime
    // directory, the system socket); never starts a server. Null, with the
    // reason in `error`, when none answers within `timeout`.
    static std::shared_ptr<PulseSoundDevice> Connect(std::chrono::milliseconds timeout,
                                                     std::string* error = nullptr);

    ~PulseSoundDevice() override;
    PulseSoundDevice(const PulseSoundDevice&) = delete;
    PulseSoundDevice& operator=(const PulseSoundDevice&) = delete;

    bool Play(const std::uint8_t* image, std::size_t size, PlayMode mode) override;
    void Stop() override;
    void EndLoop() override;
    bool GetVolume(std::uint32_t& word) override;
    bool SetVolume(std::uint32_t word) override;

    struct Sound; // one playing image and its stream (mainloop lock held)

  private:
    PulseSoundDevice();
    bool ConnectContext(std::chrono::milliseconds timeout, std::string* error); // lock held
    void DropContext();                                                         // lock held
    void StopLocked();                                                          // lock held
    bool TakeOver(Sound& loop);                                                 // lock held

    pa_threaded_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    std::unique_ptr<Sound> sound_; // the sound playing now, if any
    std::uint64_t nextSerial_ = 1; // tells sounds apart while a Sync play waits
    struct EndedSound
    {
        std::uint64_t serial = 0;
        bool failed = false;
    };
    EndedSound lastEnded_; // the sound that ended last (lock held)
    std::atomic<std::uint32_t> volume_ = 0xFFFFFFFFu;
};

// The sound server's device when one answers within `timeout`; otherwise a
// silent device, and one line saying so is written to `warnings` (when given).
// DefaultSoundDevice() is this, made once per process.
std::shared_ptr<SoundDevice> OpenSoundDevice(std::chrono::milliseconds timeout, std::FILE* warnings);

} // namespace ondrix::platform
