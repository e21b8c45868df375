// Generation speed of the tone generator against the floor: allocating and
// touching a fresh buffer of the image's size, which every generation must do.
#include "platform/SoundDevice.h"
#include "tonegen/ToneGen.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <malloc.h>
#include <memory>
#include <new>

namespace {

using namespace ondrix::tonegen;

constexpr std::int16_t kLongest = 32767; // ms: 12582528 data bytes as 16-bit stereo at 96000 Hz

// Large blocks always come fresh from the kernel, as for the one image a
// command-line run makes: without this, glibc raises its mmap threshold after
// the first free and later rounds reuse pages that are already mapped.
const bool kFreshPages = [] { return mallopt(M_MMAP_THRESHOLD, 128 * 1024) == 1; }();

const char* const kWaveNames[] = {"sine", "square", "triangle", "sawtooth", "noise"};

// The floor: one fresh allocation of the image's size, every byte written once.
void BM_Floor(benchmark::State& state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    if (!kFreshPages) state.SkipWithError("cannot fix the mmap threshold");
    for (auto _ : state) {
        std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[size]);
        std::memset(buffer.get(), 0, size);
        benchmark::DoNotOptimize(buffer.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_Floor)->Arg(19200 + 76)->Arg(12582528 + 76)->Unit(benchmark::kMillisecond);

// Args: waveform, longest image (0: the default 100 ms 16-bit mono tone), eight
// AM slots, envelope.
void BM_Generate(benchmark::State& state)
{
    const auto wave = static_cast<TTGWave>(state.range(0));
    const bool longest = state.range(1) != 0;
    const bool slots = state.range(2) != 0;
    const bool envelope = state.range(3) != 0;

    TToneGen tone(ondrix::platform::SilentSoundDevice());
    tone.SetWaveform(wave);
    if (longest) {
        tone.SetDuration(kLongest);
        tone.SetStereo(true);
    }
    if (slots) {
        for (int i = 0; i < kAMSlotCount; ++i)
            tone.SetAMParameter(static_cast<TTGAMLevel>(i), 10, static_cast<TTGWave>(i % 5), (i + 1) / 2.0f);
    }
    for (auto _ : state) {
        const bool made = envelope ? tone.PrepareADSR() : tone.Prepare();
        if (!made) state.SkipWithError("allocation failed");
        benchmark::DoNotOptimize(tone.GetDataBuffer());
    }
    state.SetLabel(std::string(kWaveNames[wave]) + (longest ? " longest" : " default") +
                   (slots ? " +8 AM" : "") + (envelope ? " +envelope" : ""));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * tone.WaveImageSize()));
}
BENCHMARK(BM_Generate)
    ->ArgsProduct({{tgSine, tgSquare, tgTriangle, tgSawtooth, tgNoise}, {0, 1}, {0, 1}, {0, 1}})
    ->ArgNames({"wave", "longest", "am", "env"})
    ->Unit(benchmark::kMillisecond);

// A continuous play after a change, as each sweep tick makes one: the
// Duration image (100 ms) and the one-second loop image. Args: waveform,
// 16-bit stereo (0: 16-bit mono), eight AM slots.
void BM_ContinuousPlay(benchmark::State& state)
{
    const auto wave = static_cast<TTGWave>(state.range(0));
    const bool stereo = state.range(1) != 0;
    const bool slots = state.range(2) != 0;

    TToneGen tone(ondrix::platform::SilentSoundDevice());
    tone.SetContinuous(true);
    tone.SetWaveform(wave);
    tone.SetStereo(stereo);
    if (slots) {
        for (int i = 0; i < kAMSlotCount; ++i)
            tone.SetAMParameter(static_cast<TTGAMLevel>(i), 10, static_cast<TTGWave>(i % 5), (i + 1) / 2.0f);
    }
    std::int16_t frequency = 440;
    for (auto _ : state) {
        tone.SetFrequency(frequency);
        frequency = frequency == 440 ? 441 : 440;
        tone.Play();
        if (tone.GetLoopBuffer() == nullptr) state.SkipWithError("allocation failed");
        benchmark::DoNotOptimize(tone.GetLoopBuffer());
    }
    state.SetLabel(std::string(kWaveNames[wave]) + (stereo ? " stereo" : " mono") + (slots ? " +8 AM" : ""));
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * (tone.WaveImageSize() + tone.LoopImageSize())));
}
BENCHMARK(BM_ContinuousPlay)
    ->ArgsProduct({{tgSine, tgSquare, tgTriangle, tgSawtooth, tgNoise}, {0, 1}, {0, 1}})
    ->ArgNames({"wave", "stereo", "am"})
    ->Unit(benchmark::kMicrosecond);

} // namespace
