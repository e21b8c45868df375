#pragma once

#include "windows/WindowServices.h"

#include <QString>
#include <memory>

namespace ondrix::windows {

class TAboutBox;
class TAmplifierCircuit;
class THelp;
class TPinouts;

// The four auxiliary windows, created once (amplifier circuit, about box,
// pinouts, help) and kept, hidden, until the program ends. The main window's
// Help menu shows them; none of them blocks it.
class AuxiliaryWindows
{
  public:
    // The line under the product name in the about box.
    static constexpr const char* kCreditText =
        "Ondrix turns the sound card, the serial port and the parallel port into the outputs of a "
        "function generator. Written by Brevant Industries; thanks to everyone who tested it and "
        "reported what went wrong.";

    explicit AuxiliaryWindows(WindowServices services = {});
    ~AuxiliaryWindows();
    AuxiliaryWindows(const AuxiliaryWindows&) = delete;
    AuxiliaryWindows& operator=(const AuxiliaryWindows&) = delete;

    void ShowManual();
    // The about box for productName with the credit text, flag 2, and the maker's site as home page.
    void ShowAbout(const QString& productName);
    void ShowAmplifier();
    void ShowPinouts();

    TAmplifierCircuit& Amplifier() { return *amplifier_; }
    TAboutBox& About() { return *about_; }
    TPinouts& Pinouts() { return *pinouts_; }
    THelp& Help() { return *help_; }

  private:
    std::unique_ptr<TAmplifierCircuit> amplifier_;
    std::unique_ptr<TAboutBox> about_;
    std::unique_ptr<TPinouts> pinouts_;
    std::unique_ptr<THelp> help_;
};

} // namespace ondrix::windows
