// The voltage side of the panel on a master volume in memory: the voltmeter
// type, the calibration procedure with a simulated meter, the target voltage
// and the calibration switches.
#include "FakeMasterVolume.h"
#include "OndrixFixture.h"
#include "app/OndrixApplication.h"
#include "voltage/Calibration.h"
#include "voltage/Fitting.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>

namespace ondrix::app::testing {
namespace {

using Sets = std::vector<unsigned>;

// The meter at the sound card's output: answers each "Measurement #i"
// prompt with the peak it reads at the volume the program has just set.
class TMeterDialogs : public TDialogs
{
  public:
    QString Count = "5";
    // The peak read at an amplitude (i counts from 1); nullopt cancels.
    std::function<std::optional<QString>(int i, unsigned amplitude)> Read;
    std::shared_ptr<TFakeMasterVolume> Master;
    TMsgResult FirstAnswer = TMsgResult::Ok;

    std::vector<TScriptedDialogs::Question> Asked;
    std::vector<unsigned> Amplitudes;

    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override
    {
        Asked.push_back({caption, prompt, value});
        if (caption == "Measurement Count") {
            value = Count;
            return true;
        }
        const int i = caption.mid(caption.indexOf('#') + 1).toInt();
        Amplitudes.push_back(Master->Percent());
        const auto answer = Read(i, Master->Percent());
        if (!answer) return false;
        value = *answer;
        return true;
    }

    TMsgResult MessageBox(const QString& caption, const QString& text, TMsgIcon, TMsgButtons) override
    {
        Asked.push_back({caption, text, {}});
        return caption == "Ondrix" ? FirstAnswer : TMsgResult::Ok;
    }

    std::optional<QString> SaveFileName(const TSaveDialogOptions&) override { return std::nullopt; }
};

// Peaks of a sine at the output: √2 × 0.01 × e^(0.05·x), with a small
// reading error that alternates in sign.
QString SinePeak(int i, unsigned amplitude)
{
    const double peak = std::numbers::sqrt2 * 0.01 * std::exp(0.05 * amplitude) * (i % 2 ? 1.002 : 0.998);
    return QString::number(peak, 'g', 10);
}

class VoltageTest : public OndrixTest
{
  protected:
    std::shared_ptr<TFakeMasterVolume> master = std::make_shared<TFakeMasterVolume>(65);
    std::shared_ptr<TMeterDialogs> meter = std::make_shared<TMeterDialogs>();
    std::uint32_t RandomSeed = 20261207;

    TOndrix& StartOnMaster(std::vector<std::string> switches = {}, bool withMeter = false)
    {
        switches.insert(switches.begin(), "/usr/bin/ondrix");
        switches.push_back("/nobackupvoltage");
        TOndrixServices services = Services();
        services.MasterVolume = master;
        if (withMeter) {
            meter->Master = master;
            meter->Read = SinePeak;
            services.Dialogs = meter;
        }
        ondrix = std::make_unique<TOndrix>(std::move(services), std::move(switches));
        ondrix->FormCreate();
        // The measurement amplitudes are random: the same ones on every run.
        SeedRandom(RandomSeed);
        return *ondrix;
    }

    // Runs a handler as a menu click does: an escaping error goes to the display.
    std::string Run(void (TOndrix::*handler)())
    {
        OndrixApplication::Guarded([&] { (ondrix.get()->*handler)(); });
        return Shown();
    }
};

std::string Exactly(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

TEST_F(VoltageTest, VoltmeterTypeFromTheSwitchesAndTheMenu)
{
    auto checked = [](TOndrix& o) {
        return std::vector<bool>{o.RMS1->isChecked(), o.Peak1->isChecked(), o.PeakToPeak1->isChecked()};
    };
    TOndrix& o = StartOnMaster();
    EXPECT_EQ(checked(o), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(o.VoltmeterFunction, &voltage::RmsReading);

    StartOnMaster({"/peak"});
    EXPECT_EQ(checked(*ondrix), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(ondrix->VoltmeterFunction, &voltage::PeakReading);

    StartOnMaster({"/pp", "/peak", "/rms"}); // "/pp" wins
    EXPECT_EQ(checked(*ondrix), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(ondrix->VoltmeterFunction, &voltage::PeakToPeakReading);

    ondrix->RMS1->trigger();
    EXPECT_EQ(checked(*ondrix), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(ondrix->VoltmeterFunction, &voltage::RmsReading);
    ondrix->Peak1->trigger();
    ondrix->Peak1->trigger(); // a checked item stays checked
    EXPECT_EQ(checked(*ondrix), (std::vector<bool>{false, true, false}));
}

TEST_F(VoltageTest, CalibrationSwitchesDriveTheDisplayedVoltage)
{
    TOndrix& o = StartOnMaster({"/a=-4.605170186", "/b=0.05", "/amp=80", "/peak"});
    EXPECT_TRUE(o.Calibrated);
    const double rms = 0.01 * std::exp(0.05 * 80);
    EXPECT_NEAR(o.DisplayVoltage(), std::numbers::sqrt2 * rms, 1e-9);
    EXPECT_EQ(o.VoltageReadingText(), QString::number(std::numbers::sqrt2 * rms, 'f', 2));

    StartOnMaster({"/amp=80"});
    EXPECT_FALSE(ondrix->Calibrated);
    EXPECT_EQ(ondrix->VoltageReadingText(), "NAN(def)");

    StartOnMaster({"/a=-4.6"}); // "/b" missing: not calibrated
    EXPECT_FALSE(ondrix->Calibrated);
    EXPECT_EQ(ondrix->CoefA, -4.6);
    EXPECT_TRUE(std::isnan(ondrix->CoefB));

    StartOnMaster({"/b=0.05", "/a=x"}); // "/b" is read only after "/a"
    EXPECT_FALSE(ondrix->Calibrated);
    EXPECT_TRUE(std::isnan(ondrix->CoefB));
}

TEST_F(VoltageTest, NoiseShowsNaNOnPeakMetersAndTheRmsOnAnRmsMeter)
{
    TOndrix& o = StartOnMaster({"/a=-4.6", "/b=0.05", "/amp=50", "/noise", "/pp"});
    EXPECT_EQ(o.VoltageReadingText(), "NAN");
    o.RMS1->trigger();
    EXPECT_NEAR(o.DisplayVoltage(), std::exp(-4.6 + 0.05 * 50), 1e-12);
}

TEST_F(VoltageTest, CalibrationFitsTheMeasuredPeaks)
{
    TOndrix& o = StartOnMaster({"/audiofreq=440"}, true);
    EXPECT_EQ(Run(&TOndrix::CalibrateVoltage1Click), "");

    ASSERT_EQ(meter->Amplitudes.size(), 5u);
    for (unsigned amplitude : meter->Amplitudes) {
        EXPECT_GE(amplitude, 10u);
        EXPECT_LE(amplitude, 89u);
    }
    EXPECT_TRUE(o.Calibrated);
    EXPECT_NEAR(o.CoefA, std::log(0.01), 0.02);
    EXPECT_NEAR(o.CoefB, 0.05, 3e-4);
    // The tone is now 1000 Hz, and the amplitude is the last measurement's.
    EXPECT_EQ(*o.FreqVars[ifAudio], 1000);
    EXPECT_EQ(o.ToneGen1.Frequency(), 1000);
    EXPECT_EQ(o.UpDown2->Position(), static_cast<int>(meter->Amplitudes.back()));

    const auto& asked = meter->Asked;
    ASSERT_EQ(asked.size(), 8u);
    EXPECT_EQ(asked[0].Caption, "Ondrix");
    EXPECT_EQ(asked[0].Prompt, "Connect scope or true RMS voltmeter and measure PEAK voltage.");
    EXPECT_EQ(asked[1].Caption, "Measurement Count");
    EXPECT_EQ(asked[1].Prompt, "Enter number of measurements");
    EXPECT_EQ(asked[1].PreFilled, "5");
    EXPECT_EQ(asked[2].Caption, "Measurement #1");
    EXPECT_EQ(asked[2].Prompt, "Enter PEAK voltage");
    EXPECT_EQ(asked[2].PreFilled, "");
    EXPECT_EQ(asked[3].Caption, "Measurement #2");
    EXPECT_EQ(asked[3].PreFilled, SinePeak(1, meter->Amplitudes[0])); // the previous entry
    EXPECT_EQ(asked[7].Caption, "Calibration Results");
    EXPECT_TRUE(asked[7].Prompt.startsWith("Calibration Complete\r\na = -4.6"))
        << asked[7].Prompt.toStdString();
    EXPECT_TRUE(asked[7].Prompt.endsWith("\r\nPoints used: 5"));
}

TEST_F(VoltageTest, CalibrationEndsSilentlyWhenTheUserStops)
{
    StartOnMaster({"/a=-3", "/b=0.04"}, true);
    meter->FirstAnswer = TMsgResult::Cancel;
    EXPECT_EQ(Run(&TOndrix::CalibrateVoltage1Click), "");
    EXPECT_EQ(meter->Asked.size(), 1u);

    meter->FirstAnswer = TMsgResult::Ok;
    meter->Read = [](int i, unsigned a) { return i == 3 ? std::nullopt : std::optional(SinePeak(i, a)); };
    EXPECT_EQ(Run(&TOndrix::CalibrateVoltage1Click), "");
    meter->Read = [](int i, unsigned a) { return i == 2 ? QString("1.2V") : SinePeak(i, a); };
    EXPECT_EQ(Run(&TOndrix::CalibrateVoltage1Click), "");
    meter->Read = [](int, unsigned) { return QString("inf"); };
    EXPECT_EQ(Run(&TOndrix::CalibrateVoltage1Click), "");

    // The model given at start is untouched.
    EXPECT_EQ(ondrix->CoefA, -3);
    EXPECT_EQ(ondrix->CoefB, 0.04);
}

TEST_F(VoltageTest, CalibrationFailuresKeepTheEarlierModel)
{
    StartOnMaster({"/a=-3", "/b=0.04"}, true);
    const std::pair<const char*, const char*> counts[] = {{"2", "Need at least 3 points"},
                                                          {"abc", "Need at least 3 points"}};
    for (const auto& [count, message] : counts) {
        meter->Count = count;
        EXPECT_EQ(Run(&TOndrix::CalibrateVoltage1Click), message);
        ondrix->Panel1Click();
    }

    // A peak of 0 cannot be fitted on a log scale.
    meter->Count = "4";
    meter->Read = [](int i, unsigned a) { return i == 2 ? QString("0") : SinePeak(i, a); };
    EXPECT_EQ(Run(&TOndrix::CalibrateVoltage1Click), "Too many outliers \xE2\x80\x94 calibration failed");
    ondrix->Panel1Click();
    EXPECT_EQ(ondrix->CoefA, -3);
    EXPECT_EQ(ondrix->CoefB, 0.04);

    ondrix->ToneGen1.SetWaveform(tonegen::tgNoise);
    meter->Read = SinePeak;
    EXPECT_EQ(Run(&TOndrix::CalibrateVoltage1Click), "Unsupported waveform for RMS calculation");
    EXPECT_EQ(meter->Amplitudes.size(), 4u + 1u);
}

TEST_F(VoltageTest, CalibrationAtOneAmplitudeOnlyEndsWithAClearError)
{
    // A seed whose first three measurement amplitudes coincide.
    unsigned amplitude = 0;
    for (RandomSeed = 1;; ++RandomSeed) {
        SeedRandom(RandomSeed);
        amplitude = static_cast<unsigned>(RandomBelow(80) + 10);
        if (RandomBelow(80) + 10 == static_cast<std::int32_t>(amplitude) &&
            RandomBelow(80) + 10 == static_cast<std::int32_t>(amplitude))
            break;
    }
    StartOnMaster({}, true);
    meter->Count = "3";
    EXPECT_EQ(Run(&TOndrix::CalibrateVoltage1Click), voltage::kEqualAmplitudesMessage);
    EXPECT_EQ(meter->Amplitudes, (Sets{amplitude, amplitude, amplitude}));
    EXPECT_FALSE(ondrix->Calibrated);
    EXPECT_TRUE(std::isnan(ondrix->CoefA));
}

TEST_F(VoltageTest, SetAudioVoltageChoosesTheHighestAmplitudeNotAboveTheTarget)
{
    TOndrix& o = StartOnMaster({"/a=-4.6", "/b=0.05", "/amp=80", "/peak"});
    const voltage::Coefficients model{-4.6, 0.05};

    dialogs->Answer(QString::fromStdString(Exactly(voltage::ModelVoltage(model, 37))));
    EXPECT_EQ(Run(&TOndrix::SetAudioVoltage1Click), "");
    EXPECT_EQ(master->Sets.back(), 37u);
    // Pre-filled with the RMS voltage at the amplitude then, whatever the meter type.
    EXPECT_EQ(dialogs->Asked().back().Caption, "Set Audio Voltage");
    EXPECT_EQ(dialogs->Asked().back().Prompt, "Enter RMS");
    EXPECT_EQ(dialogs->Asked().back().PreFilled, QString::number(voltage::ModelVoltage(model, 80), 'g', 15));

    dialogs->Answer("1000");
    Run(&TOndrix::SetAudioVoltage1Click);
    EXPECT_EQ(master->Sets.back(), 100u);
    dialogs->Answer("AudioFreq/10000"); // a formula: 0.044 V lies between V(29) and V(30)
    Run(&TOndrix::SetAudioVoltage1Click);
    EXPECT_EQ(master->Sets.back(), 29u);

    const std::size_t sets = master->Sets.size();
    dialogs->Answer("0.001");
    EXPECT_EQ(Run(&TOndrix::SetAudioVoltage1Click), "Voltage out of range");
    o.Panel1Click();
    dialogs->Cancel();
    EXPECT_EQ(Run(&TOndrix::SetAudioVoltage1Click), "");
    dialogs->Answer("2*(");
    EXPECT_NE(Run(&TOndrix::SetAudioVoltage1Click), "");
    EXPECT_EQ(master->Sets.size(), sets);
}

TEST_F(VoltageTest, SetAudioVoltageWithoutCalibrationIsAlwaysOutOfRange)
{
    StartOnMaster();
    dialogs->Answer("1");
    EXPECT_EQ(Run(&TOndrix::SetAudioVoltage1Click), "Voltage out of range");
    EXPECT_EQ(dialogs->Asked().back().PreFilled, "NAN");
}

TEST_F(VoltageTest, VoutSetsTheAmplitudeForAnRmsVoltageAfterAmp)
{
    const voltage::Coefficients model{-4.6, 0.05};
    TOndrix& o = StartOnMaster(
        {"/a=-4.6", "/b=0.05", "/amp=90", "/vout=" + Exactly(voltage::ModelVoltage(model, 37))});
    EXPECT_EQ(master->Sets, (Sets{90, 37}));
    EXPECT_EQ(o.UpDown2->Position(), 37);

    // Out of range ends start-up there: "/hide" is not applied.
    master = std::make_shared<TFakeMasterVolume>(65);
    StartOnMaster({"/a=-4.6", "/b=0.05", "/vout=0.001", "/hide"});
    EXPECT_EQ(Shown(), "Voltage out of range");
    EXPECT_FALSE(ondrix->Timer6->Enabled());
    EXPECT_TRUE(master->Sets.empty());

    StartOnMaster({"/vout=1"});
    EXPECT_EQ(Shown(), "Voltage out of range");
    StartOnMaster({"/a=-4.6", "/b=0.05", "/vout=abc"});
    EXPECT_EQ(Shown(), "'abc' is not a valid floating point value");
}

} // namespace
} // namespace ondrix::app::testing
