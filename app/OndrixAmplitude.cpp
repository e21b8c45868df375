// The amplitude: the desktop's master volume in percent, shown and stepped by
// UpDown2, entered by formula, read at start-up and restored at shutdown.
#include "app/NumberText.h"
#include "app/OndrixApplication.h"
#include "app/PromptFormula.h"
#include "app/TOndrix.h"
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
// CloseVolume for "leave the volume alone at shutdown".
constexpr std::uint8_t kRestoreNothing = 101;

std::string LocalTimestamp()
{
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    return (locale.toString(now.date(), QLocale::ShortFormat) + " " +
            locale.toString(now.time(), QLocale::LongFormat))
        .toStdString();
}

} // namespace

void TOndrix::CreateAmplitudeControl()
{
    UpDown2 = new TUpDown(this, 0, 100, 5, 100);
    UpDown2->setGeometry(376, 128, 33, 33);
    UpDown2->OnClick = [this](TUDBtnType button) {
        OndrixApplication::Guarded([this, button] { UpDown2Click(button); });
    };
}

std::uint8_t TOndrix::GetSystemVolume()
{
    const std::optional<unsigned> percent =
        services_.MasterVolume ? services_.MasterVolume->GetPercent() : std::nullopt;
    if (percent) return static_cast<std::uint8_t>(std::min(*percent, kVolumeUnknown - 1u));
    const std::string stamp = LocalTimestamp();
    std::cerr << stamp << " - Couldn't get current voltage" << std::endl;
    syslog(LOG_USER | LOG_DEBUG, "%s - Couldn't get current volume", stamp.c_str());
    return kVolumeUnknown;
}

bool TOndrix::SetSystemVolume(unsigned amplitude)
{
    const unsigned percent = std::min(amplitude, voltage::kMaxAmplitude);
    UpDown2->SetPosition(static_cast<int>(percent));
    return services_.MasterVolume && services_.MasterVolume->SetPercent(percent);
}

void TOndrix::UpDown2Click(TUDBtnType /*Button*/)
{
    AudioPlaying = false;
    ToneGen1.Stop();
    if (!SetSystemVolume(static_cast<unsigned>(UpDown2->Position())))
        throw voltage::VoltageError("Amplitude failed");
    AudioPlaying = true;
    ToneGen1.Play();
}

void TOndrix::EnterAmplitude1Click()
{
    const QString text = Dialogs().InputBox("Amplitude", "Enter amplitude in percentage",
                                            QString::number(UpDown2->Position()));
    MDParser1.SetExpression(text.toStdString());
    const long double value = PromptFormulaValue(MDParser1);
    SetSystemVolume(voltage::AmplitudeFromReal(static_cast<double>(value)));
}

void TOndrix::ApplyCloseVolumeSwitches()
{
    if (Args.HasFlag("/nobackupvoltage")) {
        CloseVolume = kRestoreNothing;
        return;
    }
    const std::uint8_t current = GetSystemVolume();
    const auto value = Args.Value("/closevol");
    const auto percent = value ? TryStrToInt(*value) : std::nullopt;
    // Above 100 means "restore nothing"; a negative number restores silence.
    CloseVolume = percent ? ClampTo<std::uint8_t>(*percent, 0, kRestoreNothing) : current;
    // A boosted output is put back as found, not left at the last amplitude.
    if (!percent && current > voltage::kMaxAmplitude && current != kVolumeUnknown)
        boostedVolumeFound_ = current;
}

void TOndrix::ApplyAmplitudeSwitches()
{
    // The server already has the volume just read: only the control follows
    // it. Writing it back would gain nothing, and after a failed reading (255)
    // or from a boosted output (above 100 %) it would change the user's volume.
    const std::uint8_t current = GetSystemVolume();
    UpDown2->SetPosition(std::min<int>(current, voltage::kMaxAmplitude));

    if (const auto value = Args.Value("/amp")) {
        const auto percent = TryStrToInt(*value);
        SetSystemVolume(percent ? voltage::ClampAmplitude(*percent) : voltage::kMaxAmplitude);
    }
    if (const auto value = Args.Value("/vout")) {
        const auto target = TryStrToFloat(*value);
        if (!target) throw EConvertError("'" + *value + "' is not a valid floating point value");
        SetSystemVolume(
            voltage::AmplitudeForVoltage(voltage::Coefficients{CoefA, CoefB}, [&] { return *target; }));
    }
}

void TOndrix::RestoreCloseVolume()
{
    if (CloseVolume <= voltage::kMaxAmplitude) {
        SetSystemVolume(CloseVolume);
    } else if (boostedVolumeFound_ && services_.MasterVolume &&
               services_.MasterVolume->GetPercent() != boostedVolumeFound_) {
        // Past SetSystemVolume, which keeps amplitudes within 0..100.
        services_.MasterVolume->SetPercent(*boostedVolumeFound_);
    }
}

} // namespace ondrix::app
