#pragma once

#include "tonegen/ToneTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace ondrix::tonegen {

// The attack-hold-decay-sustain-release envelope laid out over the frames of
// one image. Each frame is shaped from its own left sample and the result
// written to every channel, so the frames can be shaped in any order and in
// pieces, right after they are mixed.
class EnvelopeShaper
{
  public:
    EnvelopeShaper(const EnvelopeSettings& envelope, std::size_t dataLength, int bytesPerSample,
                   int channels);

    // Shapes frames first … first + count − 1 of `data` (the start of the PCM
    // data). Frames after frame N (just after the last whole frame) are never
    // changed.
    void Apply(std::uint8_t* data, std::int64_t first, std::int64_t count) const;

  private:
    enum class Kind { Attack, Hold, Decay, Sustain, Release };
    struct Segment
    {
        Kind kind;
        std::int64_t start = 0;  // first frame
        std::int64_t length = 0; // L: the segment covers frames start … start + L
        double factor = 0;       // 1 / L, (100 − s) / L / 100, s / 100 or (s / 100) / L
    };

    template <bool SixteenBit, int Channels>
    void ApplyAs(std::uint8_t* data, std::int64_t first, std::int64_t end) const;

    std::array<Segment, 5> segments_{};
    int segmentCount_ = 0;
    std::int64_t lastFrame_ = 0; // N
    bool sixteenBit_ = true;
    int channels_ = 1;
};

} // namespace ondrix::tonegen
