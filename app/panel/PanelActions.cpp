#include "app/panel/PanelActions.h"

#include "app/model/ErrorReport.h"

namespace ondrix::app {

namespace {

struct TActionText
{
    TCommand command;
    const char* caption;
    bool checkable;
};

constexpr TActionText kActions[] = {
    {TCommand::Power, "Power", false},
    {TCommand::Record, "REC", false},
    {TCommand::Sweep, "Sweep", false},
    {TCommand::Digit10000, "10 kHz", false},
    {TCommand::Digit1000, "1 kHz", false},
    {TCommand::Digit100, "100 Hz", false},
    {TCommand::Digit10, "10 Hz", false},
    {TCommand::Digit1, "1 Hz", false},
    {TCommand::Square, "Square", false},
    {TCommand::WaveformMenu, "More waveforms", false},
    {TCommand::Sine, "Sine", false},
    {TCommand::EditFrequency, "Edit", false},
    {TCommand::IoAddress, "&I/O Address", false},
    {TCommand::ComPort, "&COMPort", false},
    {TCommand::Sawtooth, "Sawtooth", false},
    {TCommand::Triangle, "Triangle", false},
    {TCommand::Noise, "Noise", false},
    {TCommand::Manual, "Manual", false},
    {TCommand::AboutOndrix, "About Ondrix", false},
    {TCommand::VoltageAmplifier, "Voltage Amplifier", false},
    {TCommand::Pinouts, "Pinouts", false},
    {TCommand::CommandLineSyntax, "Command-line Syntax", false},
    {TCommand::CalibrateVoltage, "Calibrate Voltage", false},
    {TCommand::Rms, "RMS", true},
    {TCommand::Peak, "Peak", true},
    {TCommand::PeakToPeak, "Peak To Peak", true},
    {TCommand::EnterAmplitude, "Enter Amplitude", false},
    {TCommand::SetAudioVoltage, "Set Audio Voltage", false},
    {TCommand::SaveToBatchFile, "Save To Batch File", false},
    {TCommand::CopyToClipboard, "Copy to Clipboard", false},
    {TCommand::Duration, "Duration", false},
    {TCommand::Continuous, "Continuous", true},
};

} // namespace

TPanelActions::TPanelActions(QObject* owner)
{
    for (const TActionText& text : kActions) {
        auto* action = new QAction(text.caption, owner);
        action->setCheckable(text.checkable);
        actions_.emplace(text.command, action);
    }
}

void TPanelActions::Bind(TCommand command, std::function<void()> handler)
{
    QObject::connect(actions_.at(command), &QAction::triggered, actions_.at(command),
                     [handler = std::move(handler)] { Guarded(handler); });
}

} // namespace ondrix::app
