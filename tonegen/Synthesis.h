#pragma once

#include "tonegen/ToneTypes.h"

#include <cstddef>
#include <cstdint>

namespace ondrix::tonegen {

// Writes the PCM data of a tone: dataLength bytes at `data` and the 32 bytes
// of padding after them, silence first, then the carrier and the AM slots mixed
// in, then, when given, the envelope. The last frame may spill into the
// padding. The noise of every call starts from the same seed, so equal
// settings give equal bytes.
void RenderTone(const SynthesisSettings& settings, const EnvelopeSettings* envelope, std::uint8_t* data,
                std::size_t dataLength);

} // namespace ondrix::tonegen
