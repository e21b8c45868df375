#include "tonegen/Envelope.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ondrix::tonegen {

EnvelopeShaper::EnvelopeShaper(const EnvelopeSettings& envelope, std::size_t dataLength, int bytesPerSample,
                               int channels)
    : sixteenBit_(bytesPerSample == 2), channels_(channels)
{
    const std::int64_t frameBytes = static_cast<std::int64_t>(bytesPerSample) * channels;
    const auto length = static_cast<std::int64_t>(dataLength);
    lastFrame_ = length / frameBytes;

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

    std::int64_t start = 0;
    auto share = [&](std::int64_t percent) { return percent * length / (frameBytes * 100); };
    // A segment of no length would divide by zero: it shapes nothing.
    auto add = [&](Kind kind, std::int64_t percent, std::int64_t L, auto factorOf) {
        if (percent <= 0 || L <= 0) return;
        segments_[segmentCount_++] = {kind, start, L, factorOf(static_cast<double>(L))};
        start += L + 1;
    };
    add(Kind::Attack, a, share(a), [](double L) { return 1.0 / L; });
    add(Kind::Hold, h, share(h), [](double) { return 0.0; });
    add(Kind::Decay, d, share(d), [&](double L) { return static_cast<double>(100 - s) / L / 100; });
    add(Kind::Sustain, u, rl == 0 ? lastFrame_ - start : share(u), [&](double) { return g; });
    add(Kind::Release, rl, lastFrame_ - start, [&](double L) { return g / L; });
}

void EnvelopeShaper::Apply(std::uint8_t* data, std::int64_t first, std::int64_t count) const
{
    const std::int64_t end = std::min(first + count, lastFrame_ + 1);
    if (first >= end) return;
    if (sixteenBit_)
        channels_ == 2 ? ApplyAs<true, 2>(data, first, end) : ApplyAs<true, 1>(data, first, end);
    else
        channels_ == 2 ? ApplyAs<false, 2>(data, first, end) : ApplyAs<false, 1>(data, first, end);
}

namespace {

// Shapes frames from … to − 1 with gain(k, x), k counted from the segment's start.
template <bool SixteenBit, int Channels, typename Gain>
void ShapeFrames(std::uint8_t* data, std::int64_t segmentStart, std::int64_t from, std::int64_t to, Gain gain)
{
    constexpr std::int64_t kFrameBytes = (SixteenBit ? 2 : 1) * Channels;
    std::uint8_t* at = data + from * kFrameBytes;
    for (std::int64_t k = from - segmentStart; k < to - segmentStart; ++k, at += kFrameBytes) {
        std::int64_t x;
        if constexpr (SixteenBit) {
            std::int16_t left;
            std::memcpy(&left, at, 2);
            x = left;
        } else {
            x = static_cast<std::int64_t>(at[0]) - 128;
        }
        const std::int64_t y = gain(k, x);
        for (int c = 0; c < Channels; ++c) {
            if constexpr (SixteenBit) {
                const auto sample = static_cast<std::uint16_t>(y);
                std::memcpy(at + 2 * c, &sample, 2);
            } else {
                at[c] = static_cast<std::uint8_t>(y + 128);
            }
        }
    }
}

std::int64_t Trunc(double v)
{
    return static_cast<std::int64_t>(v); // toward zero
}

} // namespace

template <bool SixteenBit, int Channels>
void EnvelopeShaper::ApplyAs(std::uint8_t* data, std::int64_t first, std::int64_t end) const
{
    for (int i = 0; i < segmentCount_; ++i) {
        const Segment& seg = segments_[i];
        const std::int64_t from = std::max(first, seg.start);
        const std::int64_t to = std::min(end, seg.start + seg.length + 1);
        if (from >= to) continue;
        const double factor = seg.factor;
        const std::int64_t L = seg.length;
        auto shape = [&](auto gain) { ShapeFrames<SixteenBit, Channels>(data, seg.start, from, to, gain); };
        switch (seg.kind) {
        case Kind::Attack:
            shape([=](std::int64_t k, std::int64_t x) { return Trunc(static_cast<double>(k * x) * factor); });
            break;
        case Kind::Hold:
            break; // y = x: the frames stay as they are
        case Kind::Decay:
            shape([=](std::int64_t k, std::int64_t x) {
                return x - Trunc(static_cast<double>(k * x) * factor);
            });
            break;
        case Kind::Sustain:
            shape([=](std::int64_t, std::int64_t x) { return Trunc(static_cast<double>(x) * factor); });
            break;
        case Kind::Release:
            shape([=](std::int64_t k, std::int64_t x) {
                return Trunc(static_cast<double>((L - k) * x) * factor);
            });
            break;
        }
    }
}

} // namespace ondrix::tonegen
