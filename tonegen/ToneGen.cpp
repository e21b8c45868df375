#include "tonegen/ToneGen.h"

#include "platform/SoundDevice.h"
#include "tonegen/NoteParser.h"
#include "tonegen/Synthesis.h"
#include "tonegen/WaveHeader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <new>

namespace ondrix::tonegen {
namespace {

// Shared by all instances: how many live, and the device volume the first one
// found (put back when the last one goes).
struct SharedState
{
    std::mutex mutex;
    int instanceCount = 0;
    std::uint32_t savedVolume = 0;
    bool volumeSaved = false;
};

SharedState& Shared()
{
    static SharedState state;
    return state;
}

std::size_t SlotIndex(TTGAMLevel level)
{
    return std::min<std::size_t>(level, kAMSlotCount - 1);
}

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A whole WAV image of the tone: header, data and padding; null when it
// cannot be allocated.
std::unique_ptr<std::uint8_t[]> RenderImage(const SynthesisSettings& settings,
                                            const EnvelopeSettings* envelope, std::size_t& size)
{
    const PcmLayout layout = LayoutOf(settings);
    const std::size_t dataLength = layout.dataLength;
    const auto header = BuildWaveHeader(settings.stereo, settings.resolution == tg16Bit,
                                        settings.quality == tgHiQ, static_cast<std::uint32_t>(dataLength));
    size = kWaveHeaderSize + dataLength + kWavePadding;
    std::unique_ptr<std::uint8_t[]> image(new (std::nothrow) std::uint8_t[size]);
    if (!image) return nullptr;
    std::memcpy(image.get(), header.data(), header.size());
    RenderTone(settings, envelope, image.get() + kWaveHeaderSize, dataLength);
    return image;
}

std::uint32_t GetLe32(const std::uint8_t* at)
{
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

} // namespace

TToneGen::TToneGen(std::shared_ptr<platform::SoundDevice> device)
    : device_(device ? std::move(device) : platform::SilentSoundDevice())
{
    amOctaves_.fill(4);
    ResetAM();
    amAmplitude_ = slots_[0].amplitude;
    amWaveform_ = slots_[0].waveform;
    amFrequency_ = slots_[0].frequency;

    SharedState& shared = Shared();
    std::lock_guard lock(shared.mutex);
    if (shared.instanceCount == 0) {
        // A device that cannot report its volume leaves nothing to restore.
        std::uint32_t word = 0;
        shared.volumeSaved = device_->GetVolume(word);
        shared.savedVolume = shared.volumeSaved ? word : 0;
        ApplyVolume();
    }
    ++shared.instanceCount;
}

TToneGen::~TToneGen()
{
    Stop();
    image_.reset();
    imageSize_ = 0;

    SharedState& shared = Shared();
    std::lock_guard lock(shared.mutex);
    if (--shared.instanceCount == 0 && shared.volumeSaved) device_->SetVolume(shared.savedVolume);
}

int TToneGen::InstanceCount()
{
    std::lock_guard lock(Shared().mutex);
    return Shared().instanceCount;
}

std::uint32_t TToneGen::SavedVolume()
{
    std::lock_guard lock(Shared().mutex);
    return Shared().savedVolume;
}

// This host has no form designer, so an out-of-range value is clamped
// silently; the designer's range message never shows.
std::int16_t TToneGen::CheckRange(std::int16_t min, std::int16_t max, std::int16_t value)
{
    return std::clamp(value, min, max);
}

void TToneGen::SetFrequency(std::int16_t hertz)
{
    frequency_ = CheckRange(20, 20000, hertz);
    waveDirty_ = true;
}

void TToneGen::SetDuration(std::int16_t milliseconds)
{
    duration_ = CheckRange(10, 32767, milliseconds);
    waveDirty_ = true;
}

void TToneGen::SetWaveform(TTGWave wave)
{
    waveform_ = wave;
    waveDirty_ = true;
}

void TToneGen::SetAttack(std::int16_t percent)
{
    envelope_.attack = CheckRange(0, 100, percent);
    envelopeDirty_ = true;
}

void TToneGen::SetHold(std::int16_t percent)
{
    envelope_.hold = CheckRange(0, 100, percent);
    envelopeDirty_ = true;
}

void TToneGen::SetDecay(std::int16_t percent)
{
    envelope_.decay = CheckRange(0, 100, percent);
    envelopeDirty_ = true;
}

void TToneGen::SetSustain(std::int16_t percent)
{
    envelope_.sustain = CheckRange(0, 100, percent);
    envelopeDirty_ = true;
}

void TToneGen::SetRelease(std::int16_t percent)
{
    envelope_.release = CheckRange(0, 100, percent);
    envelopeDirty_ = true;
}

void TToneGen::SetResolution(TTGResolution resolution)
{
    resolution_ = resolution;
    waveDirty_ = true;
}

void TToneGen::SetQuality(TTGQuality quality)
{
    quality_ = quality;
    waveDirty_ = true;
}

// While a sound may be playing the new volume waits for the next play, which
// always applies it.
void TToneGen::SetLeftVolume(std::int16_t percent)
{
    leftVolume_ = CheckRange(0, 100, percent);
    if (idle_) ApplyVolume();
}

void TToneGen::SetRightVolume(std::int16_t percent)
{
    rightVolume_ = CheckRange(0, 100, percent);
    if (idle_) ApplyVolume();
}

void TToneGen::SetStereo(bool stereo)
{
    stereo_ = stereo;
    waveDirty_ = true;
}

void TToneGen::SetAMLevel(TTGAMLevel level)
{
    amLevel_ = static_cast<TTGAMLevel>(SlotIndex(level));
    const AMSlot slot = slots_[amLevel_];
    SetAMAmplitude(slot.amplitude);
    SetAMWaveform(slot.waveform);
    SetAMFrequency(slot.frequency);
}

void TToneGen::SetAMAmplitude(std::int16_t percent)
{
    amAmplitude_ = CheckRange(0, 100, percent);
    slots_[amLevel_].amplitude = amAmplitude_;
    waveDirty_ = true;
}

void TToneGen::SetAMWaveform(TTGWave wave)
{
    amWaveform_ = wave;
    slots_[amLevel_].waveform = wave;
    waveDirty_ = true;
}

void TToneGen::SetAMFrequency(float frequency)
{
    amFrequency_ = frequency;
    slots_[amLevel_].frequency = frequency;
    waveDirty_ = true;
}

void TToneGen::SetAMUseMultiplier(bool useMultiplier)
{
    amUseMultiplier_ = useMultiplier;
    waveDirty_ = true;
}

const AMSlot& TToneGen::Slot(TTGAMLevel level) const
{
    return slots_[SlotIndex(level)];
}

std::int32_t TToneGen::AMOctave(TTGAMLevel level) const
{
    return amOctaves_[SlotIndex(level)];
}

void TToneGen::Play()
{
    if (waveDirty_ || envelopeApplied_) Generate(false);
    PlayGenerated();
}

void TToneGen::PlayADSR()
{
    if (waveDirty_ || envelopeDirty_) Generate(true);
    PlayGenerated();
}

void TToneGen::PlayGenerated()
{
    idle_ = false;
    if (continuous_) {
        PlayLoop();
        return;
    }
    loopSounding_ = false;
    StartPlayback();
    idle_ = !async_ && !loop_; // a synchronous play has ended by now
}

// No Stop first: the device lets the new loop take over a sounding one
// without a gap.
void TToneGen::PlayLoop()
{
    ApplyVolume();
    if (!image_ || (!loopImage_ && !MakeLoopImage())) {
        Stop(); // as a failed generation plays nothing
        return;
    }
    device_->Play(loopImage_.get(), loopImageSize_, platform::PlayMode::AsyncLoop);
    loopSounding_ = true;
}

// The Duration image, unchanged, stays what is recorded; the loop is made
// alongside it on the exact period grid.
bool TToneGen::MakeLoopImage()
{
    SynthesisSettings settings = Synthesis();
    settings.duration = kLoopMilliseconds;
    settings.exactPeriods = true;
    loopImage_ = RenderImage(settings, nullptr, loopImageSize_);
    if (!loopImage_) loopImageSize_ = 0;
    return loopImage_ != nullptr;
}

void TToneGen::SetContinuous(bool continuous)
{
    // Ending at the loop's end, on a whole period, spares the click of a cut.
    if (!continuous && loopSounding_) device_->EndLoop();
    loopSounding_ = loopSounding_ && continuous;
    continuous_ = continuous;
}

void TToneGen::Stop()
{
    device_->Stop();
    idle_ = true;
    loopSounding_ = false;
}

void TToneGen::PresetVolume()
{
    ApplyVolume();
}

bool TToneGen::Prepare()
{
    ApplyVolume();
    return Generate(false);
}

bool TToneGen::PrepareADSR()
{
    ApplyVolume();
    return Generate(true);
}

void TToneGen::ResetAM()
{
    for (std::size_t i = 0; i < kAMSlotCount; ++i)
        slots_[i] = {0, tgSine, static_cast<float>(i + 1) / 2};
    waveDirty_ = true;
}

void TToneGen::SetAMParameter(TTGAMLevel level, std::int16_t amplitude, TTGWave wave, float frequency)
{
    if (level >= kAMSlotCount) return;
    slots_[level] = {amplitude, wave, frequency};
    waveDirty_ = true;
}

platform::WriteOutcome TToneGen::ExportFile(const std::string& fileName) const
{
    if (!image_) {
        errno = ENODATA;
        return {ENODATA, "no tone has been made yet"};
    }
    return platform::WriteFileSafely(
        fileName, std::string_view(reinterpret_cast<const char*>(image_.get()), imageSize_));
}

std::int32_t TToneGen::SetNote(std::string_view note)
{
    const ParsedNote parsed = ParseNote(note, octave_);
    if (parsed.frequency < 1) return 0;
    SetFrequency(static_cast<std::int16_t>(parsed.frequency));
    octave_ = parsed.octave;
    waveDirty_ = true;
    return parsed.frequency;
}

float TToneGen::SetAMNote(TTGAMLevel level, std::string_view note)
{
    if (level >= kAMSlotCount) return 0;
    const ParsedNote parsed = ParseNote(note, amOctaves_[level]);
    if (parsed.frequency <= 0) return 0;
    const double hertz = parsed.frequency;
    const auto value = static_cast<float>(amUseMultiplier_ ? hertz / frequency_ : hertz);
    slots_[level].frequency = value;
    amOctaves_[level] = parsed.octave;
    waveDirty_ = true;
    return value;
}

std::vector<std::uint8_t> TToneGen::AMArrayData() const
{
    std::vector<std::uint8_t> block;
    block.reserve(4 + 12 * kAMSlotCount);
    PutLe32(block, kAMSlotCount - 1);
    for (const AMSlot& slot : slots_) {
        PutLe32(block, static_cast<std::uint32_t>(static_cast<std::int32_t>(slot.amplitude)));
        PutLe32(block, slot.waveform);
        std::uint32_t bits;
        std::memcpy(&bits, &slot.frequency, 4);
        PutLe32(block, bits);
    }
    return block;
}

// A block announcing more than eight entries fills the eight slots and the
// rest is ignored; one shorter than it announces changes nothing.
bool TToneGen::SetAMArrayData(std::span<const std::uint8_t> block)
{
    if (block.size() < 4) return false;
    const auto highest = static_cast<std::int32_t>(GetLe32(block.data()));
    if (highest < 0) return true;
    const std::size_t entries = std::min<std::int64_t>(std::int64_t{highest} + 1, kAMSlotCount);
    if (block.size() < 4 + 12 * entries) return false;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint8_t* entry = block.data() + 4 + 12 * i;
        AMSlot& slot = slots_[i];
        slot.amplitude = static_cast<std::int16_t>(GetLe32(entry) & 0xFFFFu);
        slot.waveform = static_cast<TTGWave>(entry[4]);
        const std::uint32_t bits = GetLe32(entry + 8);
        std::memcpy(&slot.frequency, &bits, 4);
    }
    return true;
}

SynthesisSettings TToneGen::Synthesis() const
{
    SynthesisSettings s;
    s.frequency = frequency_;
    s.duration = duration_;
    s.waveform = waveform_;
    s.resolution = resolution_;
    s.quality = quality_;
    s.stereo = stereo_;
    s.useMultiplier = amUseMultiplier_;
    s.slots = slots_;
    return s;
}

bool TToneGen::Generate(bool withEnvelope)
{
    // The player may still be reading the old image. A continuous tone sounds
    // on (the device plays its own copy) until the next play replaces it.
    if (!continuous_) device_->Stop();
    image_.reset();
    imageSize_ = 0;
    loopImage_.reset();
    loopImageSize_ = 0;

    std::size_t size = 0;
    std::unique_ptr<std::uint8_t[]> image =
        RenderImage(Synthesis(), withEnvelope ? &envelope_ : nullptr, size);
    if (!image) return false;
    image_ = std::move(image);
    imageSize_ = size;

    // A generation with envelope leaves the shaped sound; one without leaves
    // the envelope to be applied.
    waveDirty_ = false;
    envelopeApplied_ = withEnvelope;
    envelopeDirty_ = !withEnvelope;
    return true;
}

void TToneGen::StartPlayback()
{
    Stop();
    ApplyVolume();
    if (!image_) return;
    const platform::PlayMode mode = loop_    ? platform::PlayMode::AsyncLoop
                                    : async_ ? platform::PlayMode::Async
                                             : platform::PlayMode::Sync;
    device_->Play(image_.get(), imageSize_, mode);
}

void TToneGen::ApplyVolume()
{
    const std::uint32_t left = static_cast<std::uint32_t>(leftVolume_) * 65535u / 100u;
    const std::uint32_t right = static_cast<std::uint32_t>(rightVolume_) * 65535u / 100u;
    device_->SetVolume(left + (right << 16));
}

} // namespace ondrix::tonegen
