#pragma once

#include "tonegen/ToneTypes.h"

#include <cstddef>
#include <cstdint>

namespace ondrix::tonegen {

// Shapes freshly mixed PCM data with the attack-hold-decay-sustain-release
// envelope, frame by frame from each frame's left sample. `data` holds
// dataLength bytes followed by the image's padding; the segments that run to
// the end stop on the frame just after the last whole one.
void ApplyEnvelope(const EnvelopeSettings& envelope, std::uint8_t* data, std::size_t dataLength,
                   int bytesPerSample, int channels);

} // namespace ondrix::tonegen
