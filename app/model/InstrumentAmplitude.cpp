// The amplitude: the desktop's master volume in percent, shown and stepped by
// the amplitude control, entered by formula, restored at shutdown.
#include "app/model/Instrument.h"
#include "app/model/NumberText.h"
#include "app/model/PromptFormula.h"
#include "voltage/Amplitude.h"
#include "voltage/Calibration.h"
#include "voltage/VoltageError.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <iostream>
#include <syslog.h>

namespace ondrix::app {

namespace {

// A reading that could not be taken.
constexpr std::uint8_t kVolumeUnknown = 255;

std::string LocalTimestamp()
{
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    return (locale.toString(now.date(), QLocale::ShortFormat) + " " +
            locale.toString(now.time(), QLocale::LongFormat))
        .toStdString();
}

} // namespace

std::uint8_t TInstrument::GetSystemVolume()
{
    const std::optional<unsigned> percent =
        services_.MasterVolume ? services_.MasterVolume->GetPercent() : std::nullopt;
    if (percent) return static_cast<std::uint8_t>(std::min(*percent, kVolumeUnknown - 1u));
    const std::string stamp = LocalTimestamp();
    std::cerr << stamp << " - Couldn't get current voltage" << std::endl;
    syslog(LOG_USER | LOG_DEBUG, "%s - Couldn't get current volume", stamp.c_str());
    return kVolumeUnknown;
}

bool TInstrument::SetSystemVolume(unsigned amplitude)
{
    const unsigned percent = std::min(amplitude, voltage::kMaxAmplitude);
    ShowAmplitude(static_cast<int>(percent));
    return services_.MasterVolume && services_.MasterVolume->SetPercent(percent);
}

void TInstrument::ShowAmplitude(int percent)
{
    amplitude_ = std::clamp(percent, 0, static_cast<int>(voltage::kMaxAmplitude));
    NotifyChanged();
}

void TInstrument::StepAmplitude(TStep step)
{
    // The control moves first, so a refused volume still shows the new position.
    ShowAmplitude(amplitude_ + (step == TStep::Up ? kAmplitudeStep : -kAmplitudeStep));
    audioPlaying_ = false;
    ToneGen1.Stop();
    if (!SetSystemVolume(static_cast<unsigned>(amplitude_))) {
        NotifyChanged();
        throw voltage::VoltageError("Amplitude failed");
    }
    audioPlaying_ = true;
    ToneGen1.Play();
    NotifyChanged();
}

void TInstrument::EnterAmplitude()
{
    const QString text =
        Dialogs().InputBox("Amplitude", "Enter amplitude in percentage", QString::number(amplitude_));
    MDParser1.SetExpression(text.toStdString());
    const long double value = PromptFormulaValue(MDParser1);
    SetSystemVolume(voltage::AmplitudeFromReal(static_cast<double>(value)));
}

void TInstrument::RestoreCloseVolume()
{
    if (closeVolume_ <= voltage::kMaxAmplitude) {
        SetSystemVolume(closeVolume_);
    } else if (boostedVolumeFound_ && services_.MasterVolume &&
               services_.MasterVolume->GetPercent() != boostedVolumeFound_) {
        // Past SetSystemVolume, which keeps amplitudes within 0..100.
        services_.MasterVolume->SetPercent(*boostedVolumeFound_);
    }
}

} // namespace ondrix::app
