#include "windows/AuxiliaryWindows.h"

#include "windows/TAboutBox.h"
#include "windows/TAmplifierCircuit.h"
#include "windows/THelp.h"
#include "windows/TPinouts.h"

namespace ondrix::windows {
namespace {

void Present(QWidget& window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

AuxiliaryWindows::AuxiliaryWindows(WindowServices services)
{
    services = WithDefaults(std::move(services));
    amplifier_ = std::make_unique<TAmplifierCircuit>(services);
    about_ = std::make_unique<TAboutBox>(services);
    pinouts_ = std::make_unique<TPinouts>(services);
    help_ = std::make_unique<THelp>(services);
}

AuxiliaryWindows::~AuxiliaryWindows() = default;

void AuxiliaryWindows::ShowManual()
{
    Present(*help_);
}

void AuxiliaryWindows::ShowAbout(const QString& productName)
{
    about_->ShowAbout(productName, QString::fromLatin1(kCreditText), 2, QString());
}

void AuxiliaryWindows::ShowAmplifier()
{
    amplifier_->showMaximized();
    amplifier_->raise();
    amplifier_->activateWindow();
}

void AuxiliaryWindows::ShowPinouts()
{
    Present(*pinouts_);
}

} // namespace ondrix::windows
