#pragma once

namespace ondrix::app {

// Everything the front panel can be asked to do: by a control, a menu entry
// or a key. Each command has one action (caption, handler), shared by all three.
enum class TCommand {
    Power,
    Record,
    Sweep,
    Digit10000,
    Digit1000,
    Digit100,
    Digit10,
    Digit1,
    Square,
    WaveformMenu,
    Sine,
    EditFrequency,
    IoAddress,
    ComPort,
    Sawtooth,
    Triangle,
    Noise,
    Manual,
    AboutOndrix,
    VoltageAmplifier,
    Pinouts,
    CommandLineSyntax,
    CalibrateVoltage,
    Rms,
    Peak,
    PeakToPeak,
    EnterAmplitude,
    SetAudioVoltage,
    SaveToBatchFile,
    CopyToClipboard,
    Duration,
    Continuous,
};

} // namespace ondrix::app
