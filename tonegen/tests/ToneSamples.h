#pragma once

#include "tonegen/ToneGen.h"

#include <cstdint>
#include <cstring>

namespace ondrix::tonegen::testing {

inline constexpr std::size_t kHeader = 44;

// The 16-bit sample at a byte offset into the PCM data of the current image.
inline std::int16_t Sample16(const TToneGen& tone, std::size_t offset)
{
    std::int16_t value;
    std::memcpy(&value, tone.GetDataBuffer() + kHeader + offset, 2);
    return value;
}

inline std::uint8_t Byte(const TToneGen& tone, std::size_t offset)
{
    return tone.GetDataBuffer()[kHeader + offset];
}

inline std::uint32_t HeaderU32(const TToneGen& tone, std::size_t offset)
{
    std::uint32_t value;
    std::memcpy(&value, tone.GetDataBuffer() + offset, 4);
    return value;
}

inline std::uint16_t HeaderU16(const TToneGen& tone, std::size_t offset)
{
    std::uint16_t value;
    std::memcpy(&value, tone.GetDataBuffer() + offset, 2);
    return value;
}

} // namespace ondrix::tonegen::testing
