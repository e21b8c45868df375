// The main window's commands and menus: each action bound once, shared by
// the panel's controls, the display's menu and the keys.
#include "app/panel/Display.h"
#include "app/panel/TOndrix.h"
#include "app/panel/TerminalLauncher.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>

namespace ondrix::app {

void TOndrix::BindInstrumentCommands()
{
    TInstrument& i = instrument_;
    actions_.Bind(TCommand::Power, [this] { close(); });
    actions_.Bind(TCommand::Record, [&i] { i.Record(); });
    actions_.Bind(TCommand::Sweep, [&i] { i.ToggleSweep(); });
    for (const auto& [command, hertz] : {std::pair{TCommand::Digit10000, 10000}, std::pair{TCommand::Digit1000, 1000},
                                         std::pair{TCommand::Digit100, 100}, std::pair{TCommand::Digit10, 10},
                                         std::pair{TCommand::Digit1, 1}})
        actions_.Bind(command, [&i, hertz = hertz] { i.ClickDigit(hertz); });
    actions_.Bind(TCommand::Square, [&i] { i.ChooseWaveform(tonegen::tgSquare); });
    actions_.Bind(TCommand::WaveformMenu, [this] { OpenWaveformMenu(); });
    actions_.Bind(TCommand::Sine, [&i] { i.ChooseWaveform(tonegen::tgSine); });
    actions_.Bind(TCommand::EditFrequency, [&i] { i.EnterFrequency(); });
    actions_.Bind(TCommand::IoAddress, [&i] { i.ChangeIoPort(); });
    actions_.Bind(TCommand::ComPort, [&i] { i.ChangeComPort(); });
    actions_.Bind(TCommand::Sawtooth, [&i] { i.ChooseWaveform(tonegen::tgSawtooth); });
    actions_.Bind(TCommand::Triangle, [&i] { i.ChooseWaveform(tonegen::tgTriangle); });
    actions_.Bind(TCommand::Noise, [&i] { i.ChooseNoise(); });
    actions_.Bind(TCommand::CommandLineSyntax, [this] { ShowCommandLineSyntax(); });
    actions_.Bind(TCommand::CalibrateVoltage, [&i] { i.CalibrateVoltage(); });
    actions_.Bind(TCommand::Rms, [&i] { i.SetVoltmeterType(TVoltmeterType::Rms); });
    actions_.Bind(TCommand::Peak, [&i] { i.SetVoltmeterType(TVoltmeterType::Peak); });
    actions_.Bind(TCommand::PeakToPeak, [&i] { i.SetVoltmeterType(TVoltmeterType::PeakToPeak); });
    actions_.Bind(TCommand::EnterAmplitude, [&i] { i.EnterAmplitude(); });
    actions_.Bind(TCommand::SetAudioVoltage, [&i] { i.SetAudioVoltage(); });
    actions_.Bind(TCommand::SaveToBatchFile, [&i] { i.SaveToBatchFile(); });
    actions_.Bind(TCommand::CopyToClipboard, [this] { CopyStatusToClipboard(); });
    actions_.Bind(TCommand::Duration, [&i] { i.EnterDuration(); });
    actions_.Bind(TCommand::Continuous, [this, &i] { i.SetContinuous(actions_[TCommand::Continuous]->isChecked()); });
    actions_[TCommand::Rms]->setChecked(true);
}

void TOndrix::Bind(TCommand command, std::function<void()> handler)
{
    actions_.Bind(command, std::move(handler));
    externallyBound_.insert(command);
    BuildMenus();
}

void TOndrix::BuildMenus()
{
    // Entries whose command is built elsewhere appear once it is bound.
    auto add = [this](QMenu* menu, TCommand command) {
        const bool external = command == TCommand::Manual || command == TCommand::AboutOndrix ||
                              command == TCommand::VoltageAmplifier || command == TCommand::Pinouts;
        if (!external || externallyBound_.count(command)) menu->addAction(actions_[command]);
    };
    if (!displayMenu_) displayMenu_ = new QMenu(this);
    displayMenu_->clear();
    QMenu* help = displayMenu_->addMenu("Help");
    for (TCommand command : {TCommand::Manual, TCommand::AboutOndrix, TCommand::VoltageAmplifier, TCommand::Pinouts,
                             TCommand::CommandLineSyntax})
        add(help, command);
    add(displayMenu_, TCommand::CalibrateVoltage);
    QMenu* voltmeter = displayMenu_->addMenu("Voltmeter Type");
    for (TCommand command : {TCommand::Rms, TCommand::Peak, TCommand::PeakToPeak})
        add(voltmeter, command);
    for (TCommand command : {TCommand::EnterAmplitude, TCommand::SetAudioVoltage, TCommand::SaveToBatchFile,
                             TCommand::CopyToClipboard, TCommand::Duration, TCommand::Continuous})
        add(displayMenu_, command);

    if (!waveformMenu_) {
        waveformMenu_ = new QMenu(this);
        for (TCommand command : {TCommand::Sawtooth, TCommand::Triangle, TCommand::Noise})
            waveformMenu_->addAction(actions_[command]);
    }
}

void TOndrix::ClickDisplay()
{
    display_->ClearError();
    displayMenu_->popup(QCursor::pos());
}

void TOndrix::OpenWaveformMenu()
{
    instrument_.SelectAudioForMenu();
    waveformMenu_->popup(QCursor::pos());
}

void TOndrix::CopyStatusToClipboard()
{
    // The status text, also while an error hides it.
    QGuiApplication::clipboard()->setText(display_->Status());
}

void TOndrix::ShowCommandLineSyntax()
{
    StartInTerminal(QCoreApplication::applicationFilePath(), {"/?"});
}

} // namespace ondrix::app
