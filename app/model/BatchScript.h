#pragma once

#include "app/model/Dialogs.h"
#include "app/model/Instrument.h"
#include "tonegen/ToneTypes.h"
#include "voltage/CalibrationModel.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ondrix::app {

// What "Save To Batch File" reads from the instrument: the set-up at the
// moment of saving, with each output's running state, which decides the
// questions asked.
struct TBatchSetup
{
    std::string Program{};   // the running program's full path
    std::string Directory{}; // the process's current directory: the script runs there
    voltage::Coefficients Calibration{};

    bool AudioPlaying = false;
    int AudioFrequency = 440;
    tonegen::TTGWave Waveform = tonegen::tgSine;
    int Amplitude = 100;
    TVoltmeterType Voltmeter = TVoltmeterType::Rms;
    bool Continuous = false;

    bool ComPortOpen = false;
    std::string ComPortName{};
    bool DtrRunning = false;
    long double DtrFrequency = 0;
    bool RtsRunning = false;
    long double RtsFrequency = 0;

    bool IoRunning = false;
    std::int32_t IoAddress = 888;
    long double IoFrequency = 0;
    std::uint8_t IoMask = 255;

    // The instrument's set-up, to be started as `program` in `directory`.
    static TBatchSetup Of(const TInstrument& instrument, std::string program, std::string directory);
};

// One Yes/No/Cancel question of the export.
using TBatchQuestion = std::function<TMsgResult(const QString& text)>;

// Asks which of the running outputs go into the script, in this order:
// "Include Audio Channel?" while the tone was started; "Include Serial
// Port?" while a port is open and then, only after Yes, "Include DTR
// Channel?" and "Include RTS Channel?" for the toggles that run; "Include
// Parallel Port?" while its toggle runs; always "Backup Audio Volume before
// changing it?". Returns the script, or nullopt at the first Cancel. The
// audio part carries "/loop" in continuous mode, which holds the tone it starts.
//
// The script (POSIX sh, UTF-8, LF) changes to the saved folder, stopping with
// a message and status 1 when that is gone, and replaces itself by the
// program with its own arguments first, so that they win over the stored
// switches. Every path and value is single-quoted: no folder, port or
// program name can run a command or split into two arguments.
std::optional<std::string> ComposeBatchScript(const TBatchSetup& setup, const TBatchQuestion& ask);

// Text as one single-quoted shell word; a quote inside becomes '\''.
std::string ShellQuoted(std::string_view text);

} // namespace ondrix::app
