#pragma once

#include "platform/SafeWrite.h"
#include "tonegen/ToneTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ondrix::platform {
class SoundDevice;
}

namespace ondrix::tonegen {

// The tone generator: a carrier of one waveform plus up to eight additive
// partial tones (the AM slots), synthesised as 8- or 16-bit PCM into an
// in-memory WAV image, optionally shaped by an ADSR envelope, and played
// through a sound device.
//
// Every setter passes its value through the property's range and marks what
// must be regenerated; Play and PlayADSR generate only when something changed.
// Instances share the device volume found when the first one was created and
// put it back when the last one goes.
class TToneGen
{
  public:
    // Plays through the process-wide sound device (a silent one when no sound
    // server is reachable).
    TToneGen();
    // Plays through the given device; a null pointer means a silent device.
    explicit TToneGen(std::shared_ptr<platform::SoundDevice> device);
    ~TToneGen();

    TToneGen(const TToneGen&) = delete;
    TToneGen& operator=(const TToneGen&) = delete;

    // Published properties.
    std::int16_t Frequency() const { return frequency_; }
    void SetFrequency(std::int16_t hertz);
    std::int16_t Duration() const { return duration_; }
    void SetDuration(std::int16_t milliseconds);
    TTGWave Waveform() const { return waveform_; }
    void SetWaveform(TTGWave wave);
    std::int16_t Attack() const { return envelope_.attack; }
    void SetAttack(std::int16_t percent);
    std::int16_t Hold() const { return envelope_.hold; }
    void SetHold(std::int16_t percent);
    std::int16_t Decay() const { return envelope_.decay; }
    void SetDecay(std::int16_t percent);
    std::int16_t Sustain() const { return envelope_.sustain; }
    void SetSustain(std::int16_t percent);
    std::int16_t Release() const { return envelope_.release; }
    void SetRelease(std::int16_t percent);
    bool Async() const { return async_; }
    void SetAsync(bool async) { async_ = async; }
    bool Loop() const { return loop_; }
    void SetLoop(bool loop) { loop_ = loop; }
    TTGResolution Resolution() const { return resolution_; }
    void SetResolution(TTGResolution resolution);
    TTGQuality Quality() const { return quality_; }
    void SetQuality(TTGQuality quality);
    std::int16_t LeftVolume() const { return leftVolume_; }
    void SetLeftVolume(std::int16_t percent);
    std::int16_t RightVolume() const { return rightVolume_; }
    void SetRightVolume(std::int16_t percent);
    bool Stereo() const { return stereo_; }
    void SetStereo(bool stereo);
    TTGAMLevel AMLevel() const { return amLevel_; }
    void SetAMLevel(TTGAMLevel level);
    std::int16_t AMAmplitude() const { return amAmplitude_; }
    void SetAMAmplitude(std::int16_t percent);
    TTGWave AMWaveform() const { return amWaveform_; }
    void SetAMWaveform(TTGWave wave);
    float AMFrequency() const { return amFrequency_; }
    void SetAMFrequency(float frequency);
    bool AMUseMultiplier() const { return amUseMultiplier_; }
    void SetAMUseMultiplier(bool useMultiplier);

    // Continuous mode, off by default (and then none of this applies). While
    // on, Play and PlayADSR sound a loop image that the device repeats until
    // Stop or the next play: one second of the tone, which holds a whole
    // number of periods of the carrier and of every AM slot, all at whole
    // hertz, so the repeats join as an endless synthesis would. It carries no
    // envelope (PlayADSR loops the plain tone too), and it sounds
    // asynchronously whatever Async and Loop say. A changed tone replaces the
    // sounding loop without a gap. Each play still generates the Duration
    // image that GetDataBuffer and ExportFile hand out. Turning the mode off
    // lets a sounding loop play to the end of its image, then fall silent.
    bool Continuous() const { return continuous_; }
    void SetContinuous(bool continuous);
    static constexpr std::int16_t kLoopMilliseconds = 1000;

    // The eight AM slots as stored (SetAMParameter, SetAMNote, ResetAM and
    // SetAMArrayData write them directly, bypassing the cached properties).
    const AMSlot& Slot(TTGAMLevel level) const;
    std::int32_t Octave() const { return octave_; }
    std::int32_t AMOctave(TTGAMLevel level) const;

    // Internal flags, readable for hosts and tests.
    bool WaveDirty() const { return waveDirty_; }
    bool EnvelopeDirty() const { return envelopeDirty_; }
    bool EnvelopeApplied() const { return envelopeApplied_; }
    bool Idle() const { return idle_; }

    // State shared by all instances.
    static int InstanceCount();
    static std::uint32_t SavedVolume();

    // Operations.
    void Play();
    void PlayADSR();
    void Stop();
    void PresetVolume();
    // Generate unconditionally; false when the image could not be allocated.
    bool Prepare();
    bool PrepareADSR();
    void ResetAM();
    void SetAMParameter(TTGAMLevel level, std::int16_t amplitude, TTGWave wave, float frequency);
    // The image as last generated: header, PCM data and 32 bytes of padding;
    // null before the first generation. Valid until the next generation.
    const std::uint8_t* GetDataBuffer() const { return image_.get(); }
    std::size_t WaveImageSize() const { return imageSize_; }
    // The loop image of the last continuous play, laid out as the image above;
    // null when there is none. Valid until the next generation.
    const std::uint8_t* GetLoopBuffer() const { return loopImage_.get(); }
    std::size_t LoopImageSize() const { return loopImageSize_; }
    // Writes the current image to a file, whole or not at all (a device or
    // FIFO is written in place); the outcome says why it failed.
    platform::WriteOutcome ExportFile(const std::string& fileName) const;
    // Sets Frequency from a note text ("O4A", "<C#", "N48"); 0 when invalid.
    std::int32_t SetNote(std::string_view note);
    // Sets a slot's frequency from a note text; 0 when invalid.
    float SetAMNote(TTGAMLevel level, std::string_view note);

    // The stored block of the eight AM slots (100 bytes).
    std::vector<std::uint8_t> AMArrayData() const;
    // Reads a stored block; false (and nothing changed) when it is truncated.
    bool SetAMArrayData(std::span<const std::uint8_t> block);

  private:
    bool Generate(bool withEnvelope);
    void StartPlayback();
    void ApplyVolume();
    void PlayGenerated();
    void PlayLoop();
    bool MakeLoopImage();
    SynthesisSettings Synthesis() const;
    static std::int16_t CheckRange(std::int16_t min, std::int16_t max, std::int16_t value);

    std::shared_ptr<platform::SoundDevice> device_;

    std::int16_t frequency_ = 440;
    std::int16_t duration_ = 100;
    TTGWave waveform_ = tgSine;
    EnvelopeSettings envelope_;
    bool async_ = true;
    bool loop_ = false;
    TTGResolution resolution_ = tg16Bit;
    TTGQuality quality_ = tgHiQ;
    std::int16_t leftVolume_ = 100;
    std::int16_t rightVolume_ = 100;
    bool stereo_ = false;
    TTGAMLevel amLevel_ = tgAMLevel1;
    std::int16_t amAmplitude_ = 0;
    TTGWave amWaveform_ = tgSine;
    float amFrequency_ = 0.5f;
    bool amUseMultiplier_ = true;

    std::array<AMSlot, kAMSlotCount> slots_{};
    std::array<std::int32_t, kAMSlotCount> amOctaves_{};
    std::int32_t octave_ = 4;

    bool waveDirty_ = true;
    bool envelopeDirty_ = true;
    bool envelopeApplied_ = true;
    bool idle_ = true;
    bool continuous_ = false;
    bool loopSounding_ = false; // the last play was a continuous one, not stopped since

    std::unique_ptr<std::uint8_t[]> image_;
    std::size_t imageSize_ = 0;
    std::unique_ptr<std::uint8_t[]> loopImage_;
    std::size_t loopImageSize_ = 0;
};

} // namespace ondrix::tonegen
