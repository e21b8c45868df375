// The output voltage: the voltmeter type, the calibration procedure, setting
// a target RMS voltage, and the calibration given on the command line.
#include "app/NumberText.h"
#include "app/OndrixApplication.h"
#include "app/PromptFormula.h"
#include "app/TOndrix.h"
#include "parser/MDParser.h"
#include "voltage/Calibration.h"
#include "voltage/Fitting.h"
#include "voltage/VoltageError.h"

#include <QAction>
#include <QLocale>
#include <cmath>
#include <vector>

namespace ondrix::app {

namespace {

// A real number typed by the user; infinities and NaN are not measurements.
std::optional<double> TryStrToFiniteFloat(const std::string& text)
{
    const auto value = TryStrToFloat(text);
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

// Names for what no number can show, as the display writes them.
std::optional<QString> NonFiniteText(double value)
{
    if (std::isnan(value)) return QString("NAN");
    if (std::isinf(value)) return QString(value > 0 ? "INF" : "-INF");
    return std::nullopt;
}

} // namespace

voltage::Coefficients TOndrix::Calibration() const
{
    return voltage::Coefficients{CoefA, CoefB};
}

void TOndrix::CreateVoltmeterMenuItems()
{
    auto makeItem = [this](const char* caption) {
        auto* item = new QAction(caption, this);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this,
                [this, item] { OndrixApplication::Guarded([this, item] { RMS1Click(item); }); });
        return item;
    };
    RMS1 = makeItem("RMS");
    Peak1 = makeItem("Peak");
    PeakToPeak1 = makeItem("Peak To Peak");
    RMS1->setChecked(true);
}

void TOndrix::RMS1Click(QAction* Sender)
{
    for (QAction* item : {RMS1, Peak1, PeakToPeak1})
        item->setChecked(item == Sender);
    if (Sender == Peak1)
        VoltmeterFunction = &voltage::PeakReading;
    else if (Sender == PeakToPeak1)
        VoltmeterFunction = &voltage::PeakToPeakReading;
    else
        VoltmeterFunction = &voltage::RmsReading;
}

double TOndrix::DisplayVoltage() const
{
    return voltage::DisplayVoltage(Calibration(), VoltmeterFunction, UpDown2->Position(),
                                   static_cast<int>(ToneGen1.Waveform()));
}

QString TOndrix::VoltageReadingText() const
{
    const double reading = DisplayVoltage();
    const QString number = NonFiniteText(reading).value_or(QLocale::system().toString(reading, 'f', 2));
    return number + (Calibrated ? "" : "(def)");
}

void TOndrix::ApplyCalibrationSwitches()
{
    const auto a = Args.Value("/a");
    const auto coefA = a ? TryStrToFiniteFloat(*a) : std::nullopt;
    if (!coefA) return;
    CoefA = *coefA;
    const auto b = Args.Value("/b");
    const auto coefB = b ? TryStrToFiniteFloat(*b) : std::nullopt;
    if (!coefB) return;
    CoefB = *coefB;
    Calibrated = true;
}

void TOndrix::ApplyVoltmeterSwitches()
{
    RMS1Click(RMS1);
    if (Args.HasFlag("/peak")) RMS1Click(Peak1);
    if (Args.HasFlag("/pp")) RMS1Click(PeakToPeak1);
}

void TOndrix::CalibrateVoltage1Click()
{
    if (Dialogs().MessageBox("Ondrix", "Connect scope or true RMS voltmeter and measure PEAK voltage.",
                             TMsgIcon::Information, TMsgButtons::OkCancel) != TMsgResult::Ok)
        return;
    QString countText = "5";
    if (!Dialogs().InputQuery("Measurement Count", "Enter number of measurements", countText)) return;
    const std::int32_t count = TryStrToInt(countText.toStdString()).value_or(0);
    if (count < voltage::kMinCalibrationPoints) throw voltage::VoltageError(voltage::kNeedThreePointsMessage);

    // The measurements are taken on a 1000 Hz tone.
    *FreqVars[ifAudio] = 1000;
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
    CoefA = result.coefficients.CoefA;
    CoefB = result.coefficients.CoefB;
    Calibrated = true;
    const QString decimalPoint = QLocale::system().decimalPoint();
    const char separator = decimalPoint.size() == 1 ? decimalPoint.at(0).toLatin1() : '.';
    Dialogs().MessageBox(
        "Calibration Results",
        QString::fromStdString(voltage::CalibrationReport(result, separator ? separator : '.')),
        TMsgIcon::Information, TMsgButtons::Ok);
}

void TOndrix::SetAudioVoltage1Click()
{
    const double present = voltage::ModelVoltage(Calibration(), UpDown2->Position());
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = NonFiniteText(present).value_or(locale.toString(present, 'g', 15));
    if (!Dialogs().InputQuery("Set Audio Voltage", "Enter RMS", text)) return;
    MDParser1.SetExpression(text.toStdString());
    SetSystemVolume(voltage::AmplitudeForVoltage(Calibration(),
                                                 [this] { return double(PromptFormulaValue(MDParser1)); }));
}

} // namespace ondrix::app
