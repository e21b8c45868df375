#pragma once

#include "voltage/CalibrationModel.h"

namespace ondrix::voltage {

// Waveforms are passed by the tone generator's ordinal: 0 sine, 1 square,
// 2 triangle, 3 sawtooth, 4 noise. Noise has no fixed crest factor.
inline constexpr int kSineOrdinal = 0;
inline constexpr int kSquareOrdinal = 1;
inline constexpr int kTriangleOrdinal = 2;
inline constexpr int kSawtoothOrdinal = 3;
inline constexpr int kNoiseOrdinal = 4;

inline constexpr const char* kUnsupportedWaveformMessage = "Unsupported waveform for RMS calculation";

// Peak ÷ RMS of the waveform; NaN for noise and anything unknown.
double CrestFactor(int waveform);

// The RMS voltage behind a measured peak (its magnitude is used).
// Throws VoltageError(kUnsupportedWaveformMessage) for noise or an unknown waveform.
double RmsFromPeak(int waveform, double peak);

// The three voltmeter types: what a meter of that type shows for a signal of
// the given RMS voltage.
double RmsReading(int waveform, double rms);
double PeakReading(int waveform, double rms);
double PeakToPeakReading(int waveform, double rms);

using VoltmeterFunction = double (*)(int waveform, double rms);

// The reading shown on the display for an amplitude and waveform.
double DisplayVoltage(const Coefficients& coefficients, VoltmeterFunction voltmeter, double amplitude,
                      int waveform);

} // namespace ondrix::voltage
