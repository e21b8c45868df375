// The output voltage: the voltmeter type, the calibration procedure and
// setting a target RMS voltage.
#include "app/model/Instrument.h"
#include "app/model/NumberText.h"
#include "app/model/PromptFormula.h"
#include "voltage/Calibration.h"
#include "voltage/Fitting.h"
#include "voltage/VoltageError.h"

#include <QLocale>
#include <cmath>
#include <vector>

namespace ondrix::app {

void TInstrument::SetCalibration(const voltage::Coefficients& coefficients, bool calibrated)
{
    calibration_ = coefficients;
    calibrated_ = calibrated;
    NotifyChanged();
}

void TInstrument::SetVoltmeterType(TVoltmeterType type)
{
    voltmeterType_ = type;
    NotifyChanged();
}

namespace {

voltage::VoltmeterFunction VoltmeterFunctionOf(TVoltmeterType type)
{
    switch (type) {
    case TVoltmeterType::Peak:
        return &voltage::PeakReading;
    case TVoltmeterType::PeakToPeak:
        return &voltage::PeakToPeakReading;
    case TVoltmeterType::Rms:
        break;
    }
    return &voltage::RmsReading;
}

} // namespace

double TInstrument::DisplayVoltage() const
{
    return voltage::DisplayVoltage(calibration_, VoltmeterFunctionOf(voltmeterType_), amplitude_,
                                   static_cast<int>(ToneGen1.Waveform()));
}

QString TInstrument::VoltageReadingText() const
{
    const double reading = DisplayVoltage();
    const QString number = NonFiniteText(reading).value_or(QLocale().toString(reading, 'f', 2));
    return number + (calibrated_ ? "" : "(def)");
}

void TInstrument::CalibrateVoltage()
{
    if (Dialogs().MessageBox("Ondrix", "Connect scope or true RMS voltmeter and measure PEAK voltage.",
                             TMsgIcon::Information, TMsgButtons::OkCancel) != TMsgResult::Ok)
        return;
    QString countText = "5";
    if (!Dialogs().InputQuery("Measurement Count", "Enter number of measurements", countText)) return;
    const std::int32_t count = TryStrToInt(countText.toStdString()).value_or(0);
    if (count < voltage::kMinCalibrationPoints) throw voltage::VoltageError(voltage::kNeedThreePointsMessage);

    // The measurements are taken on a 1000 Hz tone.
    FreqVar(TInterfaceId::Audio) = 1000;
    ToneGen1.Stop();
    ToneGen1.SetFrequency(1000);

    std::vector<double> amplitudes, rmsVoltages;
    QString peakText;
    for (std::int32_t i = 1; i <= count; ++i) {
        const auto amplitude = static_cast<unsigned>(RandomBelow(80) + 10);
        SetSystemVolume(amplitude);
        ToneGen1.Play();
        if (!Dialogs().InputQuery(QString("Measurement #%1").arg(i), "Enter PEAK voltage", peakText)) return;
        const auto peak = TryStrToFiniteFloat(peakText.trimmed().toStdString());
        if (!peak) return;
        amplitudes.push_back(amplitude);
        rmsVoltages.push_back(voltage::RmsFromPeak(static_cast<int>(ToneGen1.Waveform()), *peak));
    }

    // Adopted only once the whole calibration succeeded: a failed one keeps
    // the model the display and "Set Audio Voltage" use.
    const voltage::CalibrationResult result = voltage::FitCalibration(amplitudes, rmsVoltages);
    SetCalibration(result.coefficients, true);
    const QString decimalPoint = QLocale::system().decimalPoint();
    const char separator = decimalPoint.size() == 1 ? decimalPoint.at(0).toLatin1() : '.';
    Dialogs().MessageBox(
        "Calibration Results",
        QString::fromStdString(voltage::CalibrationReport(result, separator ? separator : '.')),
        TMsgIcon::Information, TMsgButtons::Ok);
}

void TInstrument::SetAudioVoltage()
{
    const double present = voltage::ModelVoltage(calibration_, amplitude_);
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = NonFiniteText(present).value_or(locale.toString(present, 'g', 15));
    if (!Dialogs().InputQuery("Set Audio Voltage", "Enter RMS", text)) return;
    MDParser1.SetExpression(text.toStdString());
    SetSystemVolume(voltage::AmplitudeForVoltage(calibration_,
                                                 [this] { return double(PromptFormulaValue(MDParser1)); }));
}

} // namespace ondrix::app
