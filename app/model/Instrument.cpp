#include "app/model/Instrument.h"

#include "app/model/NumberText.h"

#include <QLocale>

namespace ondrix::app {

TInstrument::TInstrument(TOndrixServices services)
    : ToneGen1(services.SoundDevice), services_(std::move(services))
{
    if (!services_.MakeTimer) services_.MakeTimer = QtTimers();
    // The port toggles have no interval until a frequency is given.
    dtrToggle_ = services_.MakeTimer(0, false);
    dtrToggle_->OnTimer = [this] { DtrTick(); };
    rtsToggle_ = services_.MakeTimer(0, false);
    rtsToggle_->OnTimer = [this] { RtsTick(); };
    ioToggle_ = services_.MakeTimer(0, false);
    ioToggle_->OnTimer = [this] { IoTick(); };
    sweepTimer_ = services_.MakeTimer(0, false);
    sweepTimer_->OnTimer = [this] { SweepTick(); };
    // Start-up defines them again; until then they hold the tone's frequency too.
    DefineFrequencyVariables();
}

TInstrument::~TInstrument()
{
    StopTimers();
}

void TInstrument::NotifyChanged() const
{
    if (Changed) Changed();
}

void TInstrument::StopTimers()
{
    for (TTimer* timer : {dtrToggle_.get(), rtsToggle_.get(), ioToggle_.get(), sweepTimer_.get()})
        timer->SetEnabled(false);
}

void TInstrument::DefineFrequencyVariables()
{
    const long double frequency = ToneGen1.Frequency();
    freqVars_[IdNumber(TInterfaceId::Audio)] = MDParser1.DefineVariable("AudioFreq", frequency);
    freqVars_[IdNumber(TInterfaceId::Io)] = MDParser1.DefineVariable("IOFreq", frequency);
    freqVars_[IdNumber(TInterfaceId::Dtr)] = MDParser1.DefineVariable("DTRFreq", frequency);
    freqVars_[IdNumber(TInterfaceId::Rts)] = MDParser1.DefineVariable("RTSFreq", frequency);
}

QString TInstrument::StatusText() const
{
    // The default locale is the user's (tests may set another).
    const QLocale locale;
    const long double frequency = FreqVar(selected_ == TInterfaceId::None ? TInterfaceId::Audio : selected_);
    return QString("Interface: %1\r\nAmplitude: %2%\r\nFrequency: %3Hz\r\nVoltage: %4")
        .arg(QString::fromStdString(InterfaceName(selected_)))
        .arg(amplitude_)
        .arg(locale.toString(static_cast<double>(frequency), 'f', 0))
        .arg(VoltageReadingText());
}

} // namespace ondrix::app
