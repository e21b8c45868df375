#include "tonegen/Synthesis.h"

#include "tonegen/WaveHeader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>
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
// plays at 32767 Hz, and a value that is not a number never sounds.
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

// Delphi-compatible private generator: a 32-bit linear congruence whose
// Random(N) is the high word of seed × N.
class NoiseGenerator
{
  public:
    std::uint32_t Random(std::uint32_t range)
    {
        seed_ = seed_ * 134775813u + 1u;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(seed_) * range) >> 32);
    }

  private:
    std::uint32_t seed_ = 1;
};

// Sample writers for each PCM layout. A contribution is the value to add to a
// sample, already reduced modulo the sample width.
template <bool EightBit, bool Stereo> struct Pcm
{
    using Contribution = std::conditional_t<EightBit, std::uint8_t, std::uint16_t>;
    static constexpr std::size_t kFrame = (EightBit ? 1 : 2) * (Stereo ? 2 : 1);

    static Contribution Of(double value)
    {
        if constexpr (EightBit)
            return static_cast<Contribution>(static_cast<std::int64_t>(std::trunc(128.0 + value)) - 128);
        else
            return static_cast<Contribution>(static_cast<std::int64_t>(std::trunc(value)));
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
// so a period's samples can be computed once and reused.
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

template <bool EightBit, bool Stereo> class ComponentMixer
{
    using Out = Pcm<EightBit, Stereo>;
    using Contribution = typename Out::Contribution;

  public:
    ComponentMixer(std::uint8_t* data, std::size_t length, int rate, NoiseGenerator& noise)
        : data_(data), length_(length), rate_(rate), noise_(noise)
    {
    }

    void Mix(const Component& c)
    {
        const double level = static_cast<double>(c.level);
        const double span = EightBit ? level * 254 / 100 : level * 65534 / 100;
        const double low = EightBit ? -(level * 127) / 100 : -(level * 32767) / 100;
        if (c.wave == tgNoise) return MixNoise(span, low);

        const double period = static_cast<double>(rate_) / c.frequency;
        const auto firstLength = static_cast<std::int64_t>(std::trunc(period));
        const std::int64_t half = static_cast<std::int64_t>(std::trunc(period + 0.5)) / 2;
        // Above about 29400 Hz at 44100 samples/s a triangle has no half period to climb in.
        if (c.wave == tgTriangle && half == 0) return;
        MixPeriodic(PeriodShape(c.wave, span, low, firstLength, half), period, firstLength);
    }

  private:
    void MixNoise(double span, double low)
    {
        const auto range = static_cast<std::uint32_t>(static_cast<std::int64_t>(std::trunc(span + 1)));
        for (std::size_t i = 0; i < length_; i += Out::kFrame)
            Out::Add(data_ + i, Out::Of(static_cast<double>(noise_.Random(range)) + low));
    }

    void MixPeriodic(PeriodShape shape, double period, std::int64_t length)
    {
        table_.clear();
        std::int64_t n = 1;
        std::size_t i = 0;
        while (i < length_) {
            const auto periodLength = static_cast<std::size_t>(std::max<std::int64_t>(length, 1));
            while (table_.size() < periodLength)
                table_.push_back(Out::Of(shape.Next()));
            const std::size_t framesLeft = (length_ - i + Out::kFrame - 1) / Out::kFrame;
            const std::size_t count = std::min(periodLength, framesLeft);
            const Contribution* values = table_.data();
            std::uint8_t* at = data_ + i;
            for (std::size_t j = 0; j < count; ++j, at += Out::kFrame)
                Out::Add(at, values[j]);
            i += count * Out::kFrame;
            ++n;
            const double start = std::trunc(static_cast<double>(n - 1) * period);
            length = static_cast<std::int64_t>(std::trunc(static_cast<double>(n) * period - start));
        }
    }

    std::uint8_t* data_;
    std::size_t length_;
    int rate_;
    NoiseGenerator& noise_;
    std::vector<Contribution> table_;
};

template <bool EightBit, bool Stereo>
void MixAll(const Component* components, int count, std::uint8_t* data, std::size_t length, int rate)
{
    NoiseGenerator noise;
    ComponentMixer<EightBit, Stereo> mixer(data, length, rate, noise);
    for (int k = 0; k < count; ++k)
        mixer.Mix(components[k]);
}

} // namespace

void MixTone(const SynthesisSettings& settings, std::uint8_t* data, std::size_t dataLength)
{
    Component components[1 + kAMSlotCount];
    const int count = CollectComponents(settings, components);
    const int rate = LayoutOf(settings).sampleRate;
    const bool eightBit = settings.resolution == tg8Bit;
    if (eightBit && settings.stereo)
        MixAll<true, true>(components, count, data, dataLength, rate);
    else if (eightBit)
        MixAll<true, false>(components, count, data, dataLength, rate);
    else if (settings.stereo)
        MixAll<false, true>(components, count, data, dataLength, rate);
    else
        MixAll<false, false>(components, count, data, dataLength, rate);
}

} // namespace ondrix::tonegen
