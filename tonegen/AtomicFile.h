#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ondrix::tonegen {

// Writes `size` bytes to `path` whole or not at all: into a new file beside
// the target, renamed over it only when every byte has been written and the
// file closed. On failure the target is untouched, no temporary is left and
// errno tells why.
bool WriteFileAtomically(const std::string& path, const std::uint8_t* bytes, std::size_t size);

} // namespace ondrix::tonegen
