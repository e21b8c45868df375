#include "tonegen/Synthesis.h"

#include "tonegen/Envelope.h"
#include "tonegen/WaveHeader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>
#include <vector>

namespace ondrix::tonegen {
namespace {

static_assert(std::endian::native == std::endian::little, "samples are mixed in place as little-endian PCM");

// One of the nine sounding parts of a tone: the carrier or an AM slot.
struct Component
{
    std::int64_t level = 0; // percent of full scale
    int frequency = 0;      // whole hertz
    TTGWave wave = tgSine;
};

// Whole hertz an AM slot sounds at, or 0 when it cannot sound. The mixer works
// with 16-bit whole hertz: without the multiplier anything from 32768 Hz up
// plays at 32767 Hz, and a value that is not a number or infinite never
// sounds. With it, an infinite product is simply above 20000 Hz.
int SlotFrequency(const AMSlot& slot, std::int16_t carrier, bool useMultiplier)
{
    const double value = slot.frequency;
    if (std::isnan(value)) return 0;
    if (useMultiplier) {
        const double product = carrier * value; // exact: a 16-bit integer times a single
        if (product >= 20000) return 20000;
        if (product < 20) return 20;
        return static_cast<int>(std::trunc(product));
    }
    if (std::isinf(value)) return 0;
    if (value >= 32768) return 32767;
    if (value < 1) return 0;
    return static_cast<int>(std::trunc(value));
}

int CollectComponents(const SynthesisSettings& s, Component (&out)[1 + kAMSlotCount])
{
    std::int64_t total = 0;
    for (const AMSlot& slot : s.slots)
        total += slot.amplitude;

    int count = 0;
    auto add = [&](std::int64_t level, int frequency, TTGWave wave) {
        if (level <= 0 || frequency <= 0 || wave > tgNoise) return;
        out[count++] = {level, frequency, wave};
    };
    add(100 - total, s.frequency, s.waveform);
    for (const AMSlot& slot : s.slots) {
        std::int64_t level = slot.amplitude;
        if (total > 100) level = level * 100 / total;
        add(level, SlotFrequency(slot, s.frequency, s.useMultiplier), slot.waveform);
    }
    return count;
}

// The private noise generator: a 32-bit linear congruence whose Random(N) is
// the high word of seed × N.
class NoiseGenerator
{
  public:
    static constexpr std::uint32_t kMultiplier = 134775813u;

    explicit NoiseGenerator(std::uint32_t seed) : seed_(seed) {}

    std::uint32_t Random(std::uint32_t range)
    {
        seed_ = seed_ * kMultiplier + 1u;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(seed_) * range) >> 32);
    }

    // The seed after `draws` further draws, without drawing them.
    static std::uint32_t Skip(std::uint32_t seed, std::uint64_t draws)
    {
        std::uint32_t mul = kMultiplier, add = 1u; // one step: s → mul·s + add
        std::uint32_t accMul = 1u, accAdd = 0u;    // steps taken so far
        for (; draws != 0; draws >>= 1) {
            if (draws & 1u) {
                accMul *= mul;
                accAdd = accAdd * mul + add;
            }
            add = add * mul + add;
            mul *= mul;
        }
        return accMul * seed + accAdd;
    }

  private:
    std::uint32_t seed_;
};

// Sample writers for each PCM layout. A contribution is the value to add to a
// sample, already reduced modulo the sample width.
template <bool EightBit, bool Stereo> struct Pcm
{
    using Contribution = std::conditional_t<EightBit, std::uint8_t, std::uint16_t>;
    static constexpr std::size_t kFrame = (EightBit ? 1 : 2) * (Stereo ? 2 : 1);

    // Conversion to an integer truncates toward zero, as Trunc does.
    static Contribution Of(double value)
    {
        if constexpr (EightBit)
            return static_cast<Contribution>(static_cast<std::int64_t>(128.0 + value) - 128);
        else
            return static_cast<Contribution>(static_cast<std::int64_t>(value));
    }

    static void Add(std::uint8_t* at, Contribution c)
    {
        if constexpr (EightBit) {
            const auto sample = static_cast<std::uint8_t>(at[0] + c);
            at[0] = sample;
            if constexpr (Stereo) at[1] = sample;
        } else {
            std::uint16_t sample;
            std::memcpy(&sample, at, 2);
            sample = static_cast<std::uint16_t>(sample + c);
            std::memcpy(at, &sample, 2);
            if constexpr (Stereo) std::memcpy(at + 2, &sample, 2);
        }
    }
};

// The values of one period, sample by sample from its start. Every period
// restarts the same sequence (Ω, Step and H keep their first-period values),
// so a period's samples are computed once and reused.
class PeriodShape
{
  public:
    PeriodShape(TTGWave wave, double span, double low, std::int64_t firstLength, std::int64_t half)
        : wave_(wave), span_(span), low_(low), half_(half), x_(low)
    {
        switch (wave) {
        case tgSine:
            omega_ = 2 * std::numbers::pi / static_cast<double>(firstLength);
            break;
        case tgSquare:
            span_ = span / 2;
            break;
        case tgTriangle:
            step_ = span / static_cast<double>(half);
            break;
        case tgSawtooth:
            step_ = span / static_cast<double>(firstLength);
            break;
        default:
            break;
        }
    }

    double Next()
    {
        const std::int64_t j = j_++;
        switch (wave_) {
        case tgSine:
            return std::trunc(std::sin(static_cast<double>(j) * omega_) / 2 * span_);
        case tgSquare:
            return j < half_ ? low_ : span_;
        case tgTriangle: {
            const double value = std::trunc(x_);
            if (j < half_) {
                x_ += step_;
            } else {
                x_ -= step_;
                if (x_ < low_) x_ = low_;
            }
            return value;
        }
        case tgSawtooth: {
            const double value = std::trunc(x_);
            x_ += step_;
            return value;
        }
        default:
            return 0;
        }
    }

  private:
    TTGWave wave_;
    double span_;
    double low_;
    std::int64_t half_;
    double x_;
    double omega_ = 0;
    double step_ = 0;
    std::int64_t j_ = 0;
};

// One component's running state while it is mixed frame range by frame range.
template <bool EightBit, bool Stereo> class Voice
{
    using Out = Pcm<EightBit, Stereo>;
    using Contribution = typename Out::Contribution;

  public:
    // `noiseSeed` is where this component's noise starts (unused for the others).
    Voice(const Component& c, int rate, bool exactPeriods, std::uint32_t noiseSeed)
        : noise_(noiseSeed), rate_(rate), frequency_(c.frequency), exactPeriods_(exactPeriods)
    {
        const auto level = static_cast<double>(c.level);
        const double span = EightBit ? level * 254 / 100 : level * 65534 / 100;
        const double low = EightBit ? -(level * 127) / 100 : -(level * 32767) / 100;
        if (c.wave == tgNoise) {
            noisy_ = true;
            noiseRange_ = static_cast<std::uint32_t>(static_cast<std::int64_t>(std::trunc(span + 1)));
            noiseLow_ = low;
            return;
        }
        period_ = static_cast<double>(rate) / c.frequency;
        length_ = std::max<std::int64_t>(static_cast<std::int64_t>(std::trunc(period_)), 1);
        const std::int64_t half = static_cast<std::int64_t>(std::trunc(period_ + 0.5)) / 2;
        // Above about 29400 Hz at 44100 samples/s a triangle has no half period to climb in.
        if (c.wave == tgTriangle && half == 0) {
            silent_ = true;
            return;
        }
        shape_.emplace(c.wave, span, low, length_, half);
    }

    void Mix(std::uint8_t* data, std::size_t frameCount)
    {
        if (silent_) return;
        if (noisy_) {
            // Locals: the byte stores below could otherwise alias the members.
            NoiseGenerator noise = noise_;
            const std::uint32_t range = noiseRange_;
            const double low = noiseLow_;
            for (std::size_t f = 0; f < frameCount; ++f, data += Out::kFrame)
                Out::Add(data, Out::Of(static_cast<double>(noise.Random(range)) + low));
            noise_ = noise;
            return;
        }
        while (frameCount > 0) {
            const auto periodLength = static_cast<std::size_t>(length_);
            while (table_.size() < periodLength)
                table_.push_back(Out::Of(shape_->Next()));
            const std::size_t count = std::min(periodLength - j_, frameCount);
            const Contribution* values = table_.data() + j_;
            for (std::size_t k = 0; k < count; ++k, data += Out::kFrame)
                Out::Add(data, values[k]);
            frameCount -= count;
            j_ += count;
            if (j_ == periodLength) {
                j_ = 0;
                ++n_;
                length_ = NextPeriodLength();
            }
        }
    }

  private:
    // The length of period n_: boundaries fall at Trunc(n × P).
    std::int64_t NextPeriodLength() const
    {
        if (exactPeriods_)
            return std::max<std::int64_t>(n_ * rate_ / frequency_ - (n_ - 1) * rate_ / frequency_, 1);
        const double start = std::trunc(static_cast<double>(n_ - 1) * period_);
        return std::max<std::int64_t>(
            static_cast<std::int64_t>(std::trunc(static_cast<double>(n_) * period_ - start)), 1);
    }

    bool silent_ = false;
    bool noisy_ = false;
    NoiseGenerator noise_;
    std::uint32_t noiseRange_ = 0;
    double noiseLow_ = 0;
    std::int64_t rate_;
    std::int64_t frequency_;
    bool exactPeriods_;
    double period_ = 0;
    std::int64_t length_ = 1; // L of the current period
    std::int64_t n_ = 1;      // number of the current period
    std::size_t j_ = 0;       // frame within the current period
    std::optional<PeriodShape> shape_;
    std::vector<Contribution> table_;
};

// Mixes block by block, so that each block is filled, mixed by every
// component and shaped while it sits in the cache: the image is walked once.
template <bool EightBit, bool Stereo>
void Render(const Component* components, int count, int rate, bool exactPeriods,
            const EnvelopeShaper* envelope, std::uint8_t* data, std::size_t length, std::uint8_t silence)
{
    using Out = Pcm<EightBit, Stereo>;
    const std::size_t frames = (length + Out::kFrame - 1) / Out::kFrame; // the last may spill

    // Each noise component continues the sequence where the one before it ended.
    std::vector<Voice<EightBit, Stereo>> voices;
    voices.reserve(static_cast<std::size_t>(count));
    std::uint32_t seed = 1;
    for (int k = 0; k < count; ++k) {
        voices.emplace_back(components[k], rate, exactPeriods, seed);
        if (components[k].wave == tgNoise) seed = NoiseGenerator::Skip(seed, frames);
    }

    constexpr std::size_t kBlockFrames = 16384 / Out::kFrame;
    for (std::size_t first = 0; first < frames; first += kBlockFrames) {
        const std::size_t n = std::min(kBlockFrames, frames - first);
        std::uint8_t* block = data + first * Out::kFrame;
        std::memset(block, silence, n * Out::kFrame);
        for (auto& voice : voices)
            voice.Mix(block, n);
        if (envelope != nullptr)
            envelope->Apply(data, static_cast<std::int64_t>(first), static_cast<std::int64_t>(n));
    }
    // The padding after the last frame written.
    std::memset(data + frames * Out::kFrame, silence, length + kWavePadding - frames * Out::kFrame);
}

} // namespace

void RenderTone(const SynthesisSettings& settings, const EnvelopeSettings* envelope, std::uint8_t* data,
                std::size_t dataLength)
{
    Component components[1 + kAMSlotCount];
    const int count = CollectComponents(settings, components);
    const PcmLayout layout = LayoutOf(settings);
    std::optional<EnvelopeShaper> shaper;
    if (envelope != nullptr) shaper.emplace(*envelope, dataLength, layout.bytesPerSample, layout.channels);
    const EnvelopeShaper* shape = shaper ? &*shaper : nullptr;
    const int rate = layout.sampleRate;
    const std::uint8_t z = layout.silence;
    const bool exact = settings.exactPeriods;
    const bool eightBit = settings.resolution == tg8Bit;
    if (eightBit && settings.stereo)
        Render<true, true>(components, count, rate, exact, shape, data, dataLength, z);
    else if (eightBit)
        Render<true, false>(components, count, rate, exact, shape, data, dataLength, z);
    else if (settings.stereo)
        Render<false, true>(components, count, rate, exact, shape, data, dataLength, z);
    else
        Render<false, false>(components, count, rate, exact, shape, data, dataLength, z);
}

} // namespace ondrix::tonegen
