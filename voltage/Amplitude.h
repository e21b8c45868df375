#pragma once

#include <cstdint>

namespace ondrix::voltage {

// The amplitude is the master volume in percent, 0 … 100.
inline constexpr unsigned kMaxAmplitude = 100;

// Numbers the user gives are clamped to the amplitude's range, never wrapped
// to 8 bits (300 gives 100, not 44).
unsigned ClampAmplitude(std::int64_t percent);

// The amplitude for a real number typed by the user: rounded half to even
// (45.5 → 46, 44.5 → 44) and clamped. Throws VoltageError when the value is NaN.
unsigned AmplitudeFromReal(double percent);

} // namespace ondrix::voltage
