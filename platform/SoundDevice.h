#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace ondrix::platform {

// How a WAV image is played.
enum class PlayMode {
    Async,     // returns at once; the sound plays once
    AsyncLoop, // returns at once; the sound repeats without a gap until stopped
    Sync,      // returns when the whole sound has been played
};

// The sound output the tone generator plays through: a RIFF/WAVE image held in
// memory, and the per-application volume of wave device 0.
class SoundDevice {
public:
    virtual ~SoundDevice() = default;

    // Plays a complete RIFF/WAVE PCM image. The device keeps its own copy, so
    // the caller may release or rewrite its buffer as soon as this returns.
    // A new play replaces the sound playing now. An AsyncLoop play that
    // replaces a sound of the same sample format while that sound is still
    // being fed follows it without a gap, at the same offset into its image
    // (modulo its length): a loop replaced by itself is not heard to restart.
    // False when the image cannot be played (not a PCM WAV image, device
    // failure).
    virtual bool Play(const std::uint8_t* image, std::size_t size, PlayMode mode) = 0;

    // Silences the output (within 50 ms); harmless when nothing plays.
    virtual void Stop() = 0;

    // Lets a looping sound play on to the end of its image, then fall silent;
    // harmless when nothing loops. A device that cannot do that stops at once.
    virtual void EndLoop() { Stop(); }

    // The device volume word of this program's own output: left level
    // (0…65535) in the low 16 bits, right level in the high 16 bits. It never
    // touches the system's master volume. False when it cannot be read/set.
    virtual bool GetVolume(std::uint32_t& word) = 0;
    virtual bool SetVolume(std::uint32_t word) = 0;
};

// The process-wide sound device: the desktop's sound server when one is
// reachable, otherwise a silent stand-in that says so once on stderr.
std::shared_ptr<SoundDevice> DefaultSoundDevice();

// A device that plays nothing but accepts every call (its volume word is kept
// in memory), for machines without a sound server.
std::shared_ptr<SoundDevice> SilentSoundDevice();

} // namespace ondrix::platform
