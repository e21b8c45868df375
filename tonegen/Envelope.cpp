#include "tonegen/Envelope.h"

#include <cmath>
#include <cstring>

namespace ondrix::tonegen {
namespace {

class FrameAccess
{
  public:
    FrameAccess(std::uint8_t* data, int bytesPerSample, int channels)
        : data_(data), sixteenBit_(bytesPerSample == 2), channels_(channels),
          frameBytes_(static_cast<std::size_t>(bytesPerSample) * channels)
    {
    }

    // The frame's left sample as a signed value.
    std::int64_t Left(std::int64_t frame) const
    {
        const std::uint8_t* at = data_ + frame * frameBytes_;
        if (sixteenBit_) {
            std::int16_t sample;
            std::memcpy(&sample, at, 2);
            return sample;
        }
        return static_cast<std::int64_t>(at[0]) - 128;
    }

    void Write(std::int64_t frame, std::int64_t value)
    {
        std::uint8_t* at = data_ + frame * frameBytes_;
        for (int c = 0; c < channels_; ++c) {
            if (sixteenBit_) {
                const auto sample = static_cast<std::uint16_t>(value);
                std::memcpy(at + 2 * c, &sample, 2);
            } else {
                at[c] = static_cast<std::uint8_t>(value + 128);
            }
        }
    }

  private:
    std::uint8_t* data_;
    bool sixteenBit_;
    int channels_;
    std::size_t frameBytes_;
};

} // namespace

void ApplyEnvelope(const EnvelopeSettings& envelope, std::uint8_t* data, std::size_t dataLength,
                   int bytesPerSample, int channels)
{
    const std::int64_t frameBytes = static_cast<std::int64_t>(bytesPerSample) * channels;
    const auto length = static_cast<std::int64_t>(dataLength);
    const std::int64_t lastFrame = length / frameBytes; // N: just after the last whole frame

    std::int64_t a = envelope.attack, h = envelope.hold, d = envelope.decay, rl = envelope.release;
    const std::int64_t s = envelope.sustain;
    const std::int64_t shaped = a + h + d + rl;
    if (shaped > 100) {
        a = a * 100 / shaped;
        h = h * 100 / shaped;
        d = d * 100 / shaped;
        rl = 100 - a - h - d;
    }
    const std::int64_t u = 100 - a - h - d - rl;
    const double g = static_cast<double>(s) / 100;

    FrameAccess frames(data, bytesPerSample, channels);
    std::int64_t start = 0;
    auto share = [&](std::int64_t percent) { return percent * length / (frameBytes * 100); };
    // Runs one segment over frames start … start + L; a segment of no length
    // writes nothing (its gain would divide by zero). Frames after N are
    // padding, whose silence every segment leaves as it is, so they are not
    // visited.
    auto segment = [&](std::int64_t percent, std::int64_t L, auto gain) {
        if (percent <= 0 || L <= 0) return;
        for (std::int64_t k = 0; k <= L && start + k <= lastFrame; ++k)
            frames.Write(start + k, gain(k, frames.Left(start + k)));
        start += L + 1;
    };
    auto trunc = [](double v) { return static_cast<std::int64_t>(std::trunc(v)); };

    {
        const std::int64_t L = share(a);
        const double rise = L > 0 ? 1.0 / static_cast<double>(L) : 0;
        segment(a, L,
                [&](std::int64_t k, std::int64_t x) { return trunc(static_cast<double>(k * x) * rise); });
    }
    segment(h, share(h), [](std::int64_t, std::int64_t x) { return x; });
    {
        const std::int64_t L = share(d);
        const double fall = L > 0 ? static_cast<double>(100 - s) / static_cast<double>(L) / 100 : 0;
        segment(d, L,
                [&](std::int64_t k, std::int64_t x) { return x - trunc(static_cast<double>(k * x) * fall); });
    }
    segment(u, rl == 0 ? lastFrame - start : share(u),
            [&](std::int64_t, std::int64_t x) { return trunc(static_cast<double>(x) * g); });
    {
        const std::int64_t L = lastFrame - start;
        const double fade = L > 0 ? g / static_cast<double>(L) : 0;
        segment(rl, L, [&](std::int64_t k, std::int64_t x) {
            return trunc(static_cast<double>((L - k) * x) * fade);
        });
    }
}

} // namespace ondrix::tonegen
