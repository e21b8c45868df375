// The voltage side of the panel on a master volume in memory: the voltmeter
// type, the calibration procedure with a simulated meter, the target voltage
// and the calibration switches.
#include "InstrumentFixture.h"
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

class VoltageTest : public InstrumentTest
{
  protected:
    std::shared_ptr<TFakeMasterVolume> master = std::make_shared<TFakeMasterVolume>(65);
    std::shared_ptr<TMeterDialogs> meter = std::make_shared<TMeterDialogs>();
    std::uint32_t RandomSeed = 20261207;

    TInstrument& StartOnMaster(std::vector<std::string> switches = {}, bool withMeter = false)
    {
        switches.push_back("/nobackupvoltage");
        TOndrixServices services = Services();
        services.MasterVolume = master;
        if (withMeter) {
            meter->Master = master;
            meter->Read = SinePeak;
            services.Dialogs = meter;
        }
        Start(std::move(switches), std::move(services));
        // The measurement amplitudes are random: the same ones on every run.
        SeedRandom(RandomSeed);
        return *instrument;
    }

    // Runs a handler as a menu click does: an escaping error goes to the display.
    std::string Run(void (TInstrument::*handler)())
    {
        Guarded([&] { (instrument.get()->*handler)(); });
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
    TInstrument& o = StartOnMaster();
    EXPECT_EQ(o.VoltmeterType(), TVoltmeterType::Rms);
    StartOnMaster({"/peak"});
    EXPECT_EQ(instrument->VoltmeterType(), TVoltmeterType::Peak);
    StartOnMaster({"/pp", "/peak", "/rms"}); // "/pp" wins
    EXPECT_EQ(instrument->VoltmeterType(), TVoltmeterType::PeakToPeak);

    // The reading follows the type: peak-to-peak is twice the peak of a sine.
    StartOnMaster({"/a=-4.6", "/b=0.05", "/amp=60", "/sine", "/peak"});
    const double peak = instrument->DisplayVoltage();
    instrument->SetVoltmeterType(TVoltmeterType::PeakToPeak);
    EXPECT_NEAR(instrument->DisplayVoltage(), 2 * peak, 1e-12);
    instrument->SetVoltmeterType(TVoltmeterType::Rms);
    EXPECT_NEAR(instrument->DisplayVoltage(), peak / std::numbers::sqrt2, 1e-12);
}

TEST_F(VoltageTest, CalibrationSwitchesDriveTheDisplayedVoltage)
{
    TInstrument& o = StartOnMaster({"/a=-4.605170186", "/b=0.05", "/amp=80", "/peak"});
    EXPECT_TRUE(o.Calibrated());
    const double rms = 0.01 * std::exp(0.05 * 80);
    EXPECT_NEAR(o.DisplayVoltage(), std::numbers::sqrt2 * rms, 1e-9);
    EXPECT_EQ(o.VoltageReadingText(), QString::number(std::numbers::sqrt2 * rms, 'f', 2));

    StartOnMaster({"/amp=80"});
    EXPECT_FALSE(instrument->Calibrated());
    EXPECT_EQ(instrument->VoltageReadingText(), "NAN(def)");

    StartOnMaster({"/a=-4.6"}); // "/b" missing: not calibrated
    EXPECT_FALSE(instrument->Calibrated());
    EXPECT_EQ(instrument->Calibration().CoefA, -4.6);
    EXPECT_TRUE(std::isnan(instrument->Calibration().CoefB));

    StartOnMaster({"/b=0.05", "/a=x"}); // "/b" is read only after "/a"
    EXPECT_FALSE(instrument->Calibrated());
    EXPECT_TRUE(std::isnan(instrument->Calibration().CoefB));
}

TEST_F(VoltageTest, NoiseShowsNaNOnPeakMetersAndTheRmsOnAnRmsMeter)
{
    TInstrument& o = StartOnMaster({"/a=-4.6", "/b=0.05", "/amp=50", "/noise", "/pp"});
    EXPECT_EQ(o.VoltageReadingText(), "NAN");
    o.SetVoltmeterType(TVoltmeterType::Rms);
    EXPECT_NEAR(o.DisplayVoltage(), std::exp(-4.6 + 0.05 * 50), 1e-12);
}

TEST_F(VoltageTest, CalibrationFitsTheMeasuredPeaks)
{
    TInstrument& o = StartOnMaster({"/audiofreq=440"}, true);
    EXPECT_EQ(Run(&TInstrument::CalibrateVoltage), "");

    ASSERT_EQ(meter->Amplitudes.size(), 5u);
    for (unsigned amplitude : meter->Amplitudes) {
        EXPECT_GE(amplitude, 10u);
        EXPECT_LE(amplitude, 89u);
    }
    EXPECT_TRUE(o.Calibrated());
    EXPECT_NEAR(o.Calibration().CoefA, std::log(0.01), 0.02);
    EXPECT_NEAR(o.Calibration().CoefB, 0.05, 3e-4);
    // The tone is now 1000 Hz, and the amplitude is the last measurement's.
    EXPECT_EQ(o.FreqVar(Audio), 1000);
    EXPECT_EQ(o.ToneGen1.Frequency(), 1000);
    EXPECT_EQ(o.Amplitude(), static_cast<int>(meter->Amplitudes.back()));

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
    EXPECT_EQ(Run(&TInstrument::CalibrateVoltage), "");
    EXPECT_EQ(meter->Asked.size(), 1u);

    meter->FirstAnswer = TMsgResult::Ok;
    meter->Read = [](int i, unsigned a) { return i == 3 ? std::nullopt : std::optional(SinePeak(i, a)); };
    EXPECT_EQ(Run(&TInstrument::CalibrateVoltage), "");
    meter->Read = [](int i, unsigned a) { return i == 2 ? QString("1.2V") : SinePeak(i, a); };
    EXPECT_EQ(Run(&TInstrument::CalibrateVoltage), "");
    meter->Read = [](int, unsigned) { return QString("inf"); };
    EXPECT_EQ(Run(&TInstrument::CalibrateVoltage), "");

    // The model given at start is untouched.
    EXPECT_EQ(instrument->Calibration().CoefA, -3);
    EXPECT_EQ(instrument->Calibration().CoefB, 0.04);
}

TEST_F(VoltageTest, CalibrationFailuresKeepTheEarlierModel)
{
    StartOnMaster({"/a=-3", "/b=0.04"}, true);
    const std::pair<const char*, const char*> counts[] = {{"2", "Need at least 3 points"},
                                                          {"abc", "Need at least 3 points"}};
    for (const auto& [count, message] : counts) {
        meter->Count = count;
        EXPECT_EQ(Run(&TInstrument::CalibrateVoltage), message);
        shown.clear(); // the display clicked
    }

    // A peak of 0 cannot be fitted on a log scale.
    meter->Count = "4";
    meter->Read = [](int i, unsigned a) { return i == 2 ? QString("0") : SinePeak(i, a); };
    EXPECT_EQ(Run(&TInstrument::CalibrateVoltage), "Too many outliers \xE2\x80\x94 calibration failed");
    shown.clear(); // the display clicked
    EXPECT_EQ(instrument->Calibration().CoefA, -3);
    EXPECT_EQ(instrument->Calibration().CoefB, 0.04);

    instrument->ToneGen1.SetWaveform(tonegen::tgNoise);
    meter->Read = SinePeak;
    EXPECT_EQ(Run(&TInstrument::CalibrateVoltage), "Unsupported waveform for RMS calculation");
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
    EXPECT_EQ(Run(&TInstrument::CalibrateVoltage), voltage::kEqualAmplitudesMessage);
    EXPECT_EQ(meter->Amplitudes, (Sets{amplitude, amplitude, amplitude}));
    EXPECT_FALSE(instrument->Calibrated());
    EXPECT_TRUE(std::isnan(instrument->Calibration().CoefA));
}

TEST_F(VoltageTest, SetAudioVoltageChoosesTheHighestAmplitudeNotAboveTheTarget)
{
    StartOnMaster({"/a=-4.6", "/b=0.05", "/amp=80", "/peak"});
    const voltage::Coefficients model{-4.6, 0.05};

    dialogs->Answer(QString::fromStdString(Exactly(voltage::ModelVoltage(model, 37))));
    EXPECT_EQ(Run(&TInstrument::SetAudioVoltage), "");
    EXPECT_EQ(master->Sets.back(), 37u);
    // Pre-filled with the RMS voltage at the amplitude then, whatever the meter type.
    EXPECT_EQ(dialogs->Asked().back().Caption, "Set Audio Voltage");
    EXPECT_EQ(dialogs->Asked().back().Prompt, "Enter RMS");
    EXPECT_EQ(dialogs->Asked().back().PreFilled, QString::number(voltage::ModelVoltage(model, 80), 'g', 15));

    dialogs->Answer("1000");
    Run(&TInstrument::SetAudioVoltage);
    EXPECT_EQ(master->Sets.back(), 100u);
    dialogs->Answer("AudioFreq/10000"); // a formula: 0.044 V lies between V(29) and V(30)
    Run(&TInstrument::SetAudioVoltage);
    EXPECT_EQ(master->Sets.back(), 29u);

    const std::size_t sets = master->Sets.size();
    dialogs->Answer("0.001");
    EXPECT_EQ(Run(&TInstrument::SetAudioVoltage), "Voltage out of range");
    shown.clear();
    dialogs->Cancel();
    EXPECT_EQ(Run(&TInstrument::SetAudioVoltage), "");
    dialogs->Answer("2*(");
    EXPECT_NE(Run(&TInstrument::SetAudioVoltage), "");
    EXPECT_EQ(master->Sets.size(), sets);
}

TEST_F(VoltageTest, SetAudioVoltageWithoutCalibrationIsAlwaysOutOfRange)
{
    StartOnMaster();
    dialogs->Answer("1");
    EXPECT_EQ(Run(&TInstrument::SetAudioVoltage), "Voltage out of range");
    EXPECT_EQ(dialogs->Asked().back().PreFilled, "NAN");
}

TEST_F(VoltageTest, VoutSetsTheAmplitudeForAnRmsVoltageAfterAmp)
{
    const voltage::Coefficients model{-4.6, 0.05};
    TInstrument& o = StartOnMaster(
        {"/a=-4.6", "/b=0.05", "/amp=90", "/vout=" + Exactly(voltage::ModelVoltage(model, 37))});
    EXPECT_EQ(master->Sets, (Sets{90, 37}));
    EXPECT_EQ(o.Amplitude(), 37);

    // Out of range ends start-up there: "/hide" is not applied.
    master = std::make_shared<TFakeMasterVolume>(65);
    StartOnMaster({"/a=-4.6", "/b=0.05", "/vout=0.001", "/hide"});
    EXPECT_EQ(Shown(), "Voltage out of range");
    EXPECT_FALSE(startup->HidePending());
    EXPECT_TRUE(master->Sets.empty());

    StartOnMaster({"/vout=1"});
    EXPECT_EQ(Shown(), "Voltage out of range");
    StartOnMaster({"/a=-4.6", "/b=0.05", "/vout=abc"});
    EXPECT_EQ(Shown(), "'abc' is not a valid floating point value");
}

} // namespace
} // namespace ondrix::app::testing
