#pragma once

#include "tonegen/ToneTypes.h"

#include <cstddef>
#include <cstdint>

namespace ondrix::tonegen {

// Mixes the carrier and the AM slots of a tone into its PCM data. `data` holds
// dataLength bytes followed by the image's 32 bytes of padding, all set to the
// silence value; the last frame may spill into the padding. The noise of every
// call starts from the same seed, so equal settings give equal bytes.
void MixTone(const SynthesisSettings& settings, std::uint8_t* data, std::size_t dataLength);

} // namespace ondrix::tonegen
