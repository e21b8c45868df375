#pragma once

namespace ondrix::app {

// The interfaces: the outputs the front panel drives. The value is the
// connector box's tag.
enum class TInterfaceId : int {
    None = 0,
    Audio = 1, // the tone generator
    Io = 2,    // the parallel port's data register
    Dtr = 3,   // the serial port's DTR line
    Rts = 4,   // the serial port's RTS line
};

inline constexpr TInterfaceId kOutputs[] = {TInterfaceId::Audio, TInterfaceId::Io, TInterfaceId::Dtr,
                                            TInterfaceId::Rts};

constexpr int IdNumber(TInterfaceId id)
{
    return static_cast<int>(id);
}

constexpr bool IsValidInterface(TInterfaceId id)
{
    return IdNumber(id) >= IdNumber(TInterfaceId::None) && IdNumber(id) <= IdNumber(TInterfaceId::Rts);
}

} // namespace ondrix::app
