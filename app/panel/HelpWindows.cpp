#include "app/panel/HelpWindows.h"

namespace ondrix::app {

std::unique_ptr<windows::AuxiliaryWindows> AttachHelpWindows(TOndrix& window)
{
    windows::WindowServices services;
    services.showError = [&window](const std::string& message) { window.ShowError(message, {}); };
    auto auxiliary = std::make_unique<windows::AuxiliaryWindows>(std::move(services));
    windows::AuxiliaryWindows* help = auxiliary.get();
    window.Bind(TCommand::Manual, [help] { help->ShowManual(); });
    window.Bind(TCommand::AboutOndrix, [help] { help->ShowAbout("Ondrix"); });
    window.Bind(TCommand::VoltageAmplifier, [help] { help->ShowAmplifier(); });
    window.Bind(TCommand::Pinouts, [help] { help->ShowPinouts(); });
    return auxiliary;
}

} // namespace ondrix::app
