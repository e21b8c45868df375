// The front panel's commands on the instrument: frequency controls, waveforms,
// the sweep, the duration, the recording, the status text and the plot functions.
#include "InstrumentFixture.h"
#include "app/model/PlotFunctions.h"
#include "app/model/ToggleInterval.h"

#include <QLocale>
#include <fstream>

namespace ondrix::app::testing {
namespace {

using tonegen::tgNoise;
using tonegen::tgSawtooth;
using tonegen::tgSine;
using tonegen::tgSquare;
using tonegen::tgTriangle;

class FrontPanelTest : public InstrumentTest
{
  protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Start({"/com=COM1"});
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    TInstrument& Select(TInterfaceId id)
    {
        instrument->ClickConnector(id, true);
        return *instrument;
    }
};

TEST_F(FrontPanelTest, WithNothingSelectedTheFrequencyControlsDoNothing)
{
    TInstrument& o = *instrument;
    o.StepKnob(TStep::Up);
    o.ClickDigit(1000);
    o.EnterFrequency(); // asks nothing
    EXPECT_EQ(o.KnobPosition(), TInstrument::kKnobStart);
    EXPECT_EQ(o.FreqVar(Audio), 440);
    EXPECT_EQ(o.ToneGen1.Frequency(), 440);
    EXPECT_TRUE(dialogs->Asked().empty());
    EXPECT_TRUE(sound->plays.empty());
}

TEST_F(FrontPanelTest, DigitButtonsSetTheSelectedFrequencyWithinTheKnobsRange)
{
    TInstrument& o = Select(Audio);
    const std::pair<int, int> cases[] = {{1, 20}, {10, 20}, {100, 100}, {1000, 1000}, {10000, 10000}};
    for (const auto& [tag, hertz] : cases) {
        o.ClickDigit(tag);
        EXPECT_EQ(o.FreqVar(Audio), hertz) << tag;
        EXPECT_EQ(o.ToneGen1.Frequency(), hertz) << tag;
        EXPECT_EQ(o.KnobPosition(), hertz) << tag;
    }
    // A port takes the frequency as its toggle interval; the tone keeps its own.
    Select(Dtr).ClickDigit(100);
    EXPECT_EQ(o.FreqVar(Dtr), 100);
    EXPECT_EQ(o.ToggleTimer(Dtr)->Interval(), IntervalForFrequency(100));
    EXPECT_EQ(o.ToneGen1.Frequency(), 10000);
}

TEST_F(FrontPanelTest, KnobStepsByFiveFromItsLastPositionWithoutWrapping)
{
    TInstrument& o = Select(Audio);
    o.StepKnob(TStep::Up);
    EXPECT_EQ(o.KnobPosition(), 34);
    EXPECT_EQ(o.ToneGen1.Frequency(), 34);
    // Another selection starts from the knob's last position.
    Select(Io).StepKnob(TStep::Up);
    EXPECT_EQ(o.FreqVar(Io), 39);
    EXPECT_EQ(o.FreqVar(Audio), 34);

    o.ClickDigit(1); // 20: the bottom
    o.StepKnob(TStep::Down);
    EXPECT_EQ(o.KnobPosition(), 20);
    o.ClickDigit(10000);
    for (int i = 0; i < 2001; ++i)
        o.StepKnob(TStep::Up);
    EXPECT_EQ(o.KnobPosition(), 20000);
}

TEST_F(FrontPanelTest, FrequencyPromptTakesAFormulaClampedToTheKnobsRange)
{
    TInstrument& o = Select(Audio);
    o.ClickActive(true);
    struct Case
    {
        const char* answer;
        int hertz;
    } cases[] = {{"30000", 20000}, {"15.4", 20}, {"1000", 1000}, {"AudioFreq*2", 2000}, {"999.5", 1000},
                 {"70000", 20000}, {"-5", 20},   {"1e30", 20000}};
    for (const Case& c : cases) {
        const std::size_t plays = sound->plays.size();
        dialogs->Answer(c.answer);
        o.EnterFrequency();
        EXPECT_EQ(o.ToneGen1.Frequency(), c.hertz) << c.answer;
        EXPECT_EQ(o.FreqVar(Audio), c.hertz) << c.answer;
        EXPECT_EQ(sound->plays.size(), plays + 1) << c.answer; // the playing tone restarts
    }
    const auto& asked = dialogs->Asked();
    EXPECT_EQ(asked[0].Caption, "Frequency");
    EXPECT_EQ(asked[0].Prompt, "Enter Frequency in Hz");
    EXPECT_EQ(asked[0].PreFilled, "440");
    EXPECT_EQ(asked[1].PreFilled, "20000");
}

TEST_F(FrontPanelTest, FrequencyPromptErrorsAndCancelChangeNothing)
{
    TInstrument& o = Select(Audio);
    o.ClickDigit(1000);
    dialogs->Answer("2*(3");
    EXPECT_NE(ErrorOf([&] { o.EnterFrequency(); }), "");
    dialogs->Answer("ln(0-1)");
    EXPECT_EQ(ErrorOf([&] { o.EnterFrequency(); }), "Math error in \"ln(0-1)\"");
    dialogs->Cancel();
    o.EnterFrequency();
    EXPECT_EQ(o.FreqVar(Audio), 1000);
    EXPECT_EQ(o.ToneGen1.Frequency(), 1000);
}

TEST_F(FrontPanelTest, WaveformCommandsSelectTheSoundOutputAndPlay)
{
    TInstrument& o = *instrument;
    const std::pair<tonegen::TTGWave, const char*> waves[] = {
        {tgSine, "sine"}, {tgSquare, "square"}, {tgSawtooth, "sawtooth"}, {tgTriangle, "triangle"}};
    for (const auto& [wave, name] : waves) {
        Select(Dtr);
        const std::size_t plays = sound->plays.size();
        o.ChooseWaveform(wave);
        EXPECT_EQ(o.ToneGen1.Waveform(), wave) << name;
        EXPECT_EQ(o.SelectedInterface(), Audio) << name;
        EXPECT_TRUE(o.ActiveChecked()) << name;
        EXPECT_TRUE(o.AudioPlaying()) << name;
        EXPECT_EQ(sound->plays.size(), plays + 1) << name;
        // The connector box is not checked by them: only the selection moves.
        EXPECT_FALSE(o.ConnectorChecked(Audio)) << name;
    }
}

TEST_F(FrontPanelTest, NoiseKeepsTheSelection)
{
    TInstrument& o = *instrument;
    o.SelectAudioForMenu(); // the menu button
    o.ChooseNoise();
    EXPECT_EQ(o.ToneGen1.Waveform(), tgNoise);
    EXPECT_TRUE(o.AudioPlaying());

    // From the key N with a port selected, the Active box acts on that port.
    o.ClickActive(false);
    Select(Dtr);
    o.ChooseNoise();
    EXPECT_EQ(o.SelectedInterface(), Dtr);
    EXPECT_TRUE(o.ToggleTimer(Dtr)->Enabled());
    EXPECT_FALSE(o.AudioPlaying());
}

TEST_F(FrontPanelTest, SweepClimbsByItsStepAndStartsAgainPastTheEnd)
{
    TInstrument& o = *instrument;
    for (const char* answer : {"10", "100", "130", "10"})
        dialogs->Answer(answer);
    o.ToggleSweep();
    ASSERT_TRUE(o.Sweeping());
    EXPECT_EQ(o.SweepInterval(), 10);
    EXPECT_EQ(o.FreqVar(Audio), 100);
    std::vector<int> played;
    for (int tick = 0; tick < 6; ++tick) {
        clock.Advance(10);
        played.push_back(o.ToneGen1.Frequency());
        EXPECT_EQ(o.SelectedInterface(), Audio);
        EXPECT_TRUE(o.ActiveChecked());
    }
    EXPECT_EQ(played, (std::vector<int>{110, 120, 130, 100, 110, 120}));
    EXPECT_EQ(sound->plays.size(), 6u);
    EXPECT_EQ(o.KnobPosition(), TInstrument::kKnobStart); // the knob stays

    // A second click stops it and the tone plays on.
    o.ToggleSweep();
    EXPECT_FALSE(o.Sweeping());
    clock.Advance(100);
    EXPECT_EQ(o.ToneGen1.Frequency(), 120);
    EXPECT_TRUE(o.AudioPlaying());
    const auto& asked = dialogs->Asked();
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0].Caption, "Sweep Interval");
    EXPECT_EQ(asked[0].Prompt, "Enter number of milliseconds between each frequency");
    EXPECT_EQ(asked[1].Prompt, "Starting Frequency in Hz");
    EXPECT_EQ(asked[2].Prompt, "End Frequency in Hz");
    EXPECT_EQ(asked[3].Caption, "Steps");
    EXPECT_EQ(asked[3].PreFilled, "1");
}

TEST_F(FrontPanelTest, SweepStopsSilentlyAtAnswersThatAreNoIntegers)
{
    TInstrument& o = *instrument;
    dialogs->Answer("ten");
    o.ToggleSweep();
    dialogs->Answer("10");
    dialogs->Cancel(); // the pre-filled empty text
    o.ToggleSweep();
    dialogs->Answer("10");
    dialogs->Answer("100");
    dialogs->Answer("1.5");
    o.ToggleSweep();
    EXPECT_FALSE(o.Sweeping());
    EXPECT_TRUE(dialogs->ScriptUsedUp());
    EXPECT_TRUE(shown.empty());

    // A step that is no integer is 1.
    for (const char* answer : {"5", "300", "400"})
        dialogs->Answer(answer);
    dialogs->Cancel();
    o.ToggleSweep();
    clock.Advance(5);
    EXPECT_EQ(o.ToneGen1.Frequency(), 301);
}

TEST_F(FrontPanelTest, DurationPromptTakesIntegersClamped)
{
    TInstrument& o = *instrument;
    const std::pair<const char*, int> cases[] = {{"5000", 5000}, {"abc", 5000}, {"99999", 32767},
                                                 {"99999999999", 32767}, {"", 32767}};
    for (const auto& [answer, duration] : cases) {
        dialogs->Answer(answer);
        o.EnterDuration();
        EXPECT_EQ(o.ToneGen1.Duration(), duration) << answer;
    }
    EXPECT_EQ(dialogs->Asked()[0].Caption, "Set Duration");
    EXPECT_EQ(dialogs->Asked()[0].Prompt, "Number of milliseconds");
    EXPECT_EQ(dialogs->Asked()[0].PreFilled, "");
}

TEST_F(FrontPanelTest, RecordAsksForAFileAndWritesTheTone)
{
    TInstrument& o = *instrument;
    dialogs->AnswerSave(std::nullopt);
    o.Record(); // cancelled: nothing
    const auto wav = folder.Path() / "rec.wav";
    dialogs->AnswerSave(QString::fromStdString(wav.string()));
    EXPECT_EQ(ErrorOf([&] { o.Record(); }), "WAV File failed"); // nothing played yet
    EXPECT_FALSE(std::filesystem::exists(wav));

    o.ChooseWaveform(tgSine);
    dialogs->AnswerSave(QString::fromStdString(wav.string()));
    o.Record();
    EXPECT_EQ(std::filesystem::file_size(wav), o.ToneGen1.WaveImageSize());
    const auto& asked = dialogs->Asked();
    EXPECT_EQ(asked[0].Caption, "Save Signal");
    EXPECT_EQ(asked[0].Prompt, "Wave Files|*.wav");
}

TEST_F(FrontPanelTest, StatusTextInTheUsersLocale)
{
    TInstrument& o = Select(Audio);
    o.ClickDigit(1000);
    o.ShowAmplitude(80);
    EXPECT_EQ(o.StatusText(), "Interface: Audio\r\nAmplitude: 80%\r\nFrequency: 1,000Hz\r\nVoltage: NAN(def)");
    Select(Io);
    o.SetPortFrequency(Io, 12345.6L);
    EXPECT_EQ(o.StatusText(), "Interface: I/O(0378)\r\nAmplitude: 80%\r\nFrequency: 12,346Hz\r\nVoltage: NAN(def)");

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    o.SetCalibration({-4.6, 0.05}, true);
    Select(Audio);
    EXPECT_EQ(o.StatusText(), "Interface: Audio\r\nAmplitude: 80%\r\nFrequency: 1.000Hz\r\nVoltage: 0,55");
}

TEST_F(FrontPanelTest, ContinuousModeHoldsEveryStartUntilTheOutputIsSwitchedOff)
{
    TInstrument& o = Start({"/loop", "/sine", "/duration=50"});
    const int stops = sound->stops; // the previous instrument's end counted too
    ASSERT_FALSE(sound->plays.empty());
    const std::size_t plays = sound->plays.size();
    EXPECT_TRUE(o.Continuous());
    EXPECT_EQ(sound->plays.back().mode, platform::PlayMode::AsyncLoop);

    // Every start replaces the held tone, with no stop in between.
    o.ClickActive(true);
    o.ChooseWaveform(tgSquare);
    o.ClickDigit(1000);
    o.StepKnob(TStep::Up);
    EXPECT_EQ(sound->plays.size(), plays + 4);
    EXPECT_EQ(sound->stops, stops);
    EXPECT_EQ(sound->plays.back().mode, platform::PlayMode::AsyncLoop);

    // The recording is still one Duration of the tone.
    const auto wav = folder.Path() / "held.wav";
    o.RecordToFile(wav.string());
    EXPECT_EQ(std::filesystem::file_size(wav), o.ToneGen1.WaveImageSize());
    EXPECT_LT(o.ToneGen1.WaveImageSize(), sound->plays.back().image.size());

    // Switched off, it stops at once; the mode turned off lets the loop end.
    o.ClickActive(false);
    EXPECT_EQ(sound->stops, stops + 1);
    o.ChooseWaveform(tgSine);
    o.SetContinuous(false);
    EXPECT_EQ(sound->loopEnds, 1);
    EXPECT_FALSE(o.Continuous());
    o.ChooseWaveform(tgSine);
    EXPECT_NE(sound->plays.back().mode, platform::PlayMode::AsyncLoop);

    // Off by default.
    EXPECT_FALSE(Start({"/sine"}).Continuous());
    EXPECT_NE(sound->plays.back().mode, platform::PlayMode::AsyncLoop);
}

TEST(PlotFunctions, OddTimerAndTraces)
{
    const std::pair<long double, long double> odd[] = {{2.5L, 0}, {3.4L, 1}, {-1, 1}, {3.5L, 0}, {0, 0},
                                                       {-2.5L, 0}, {1e30L, 0}, {1.0L / 0.0L, 0}};
    for (const auto& [x, expected] : odd)
        EXPECT_EQ(Odd(x), expected) << static_cast<double>(x);

    const auto outputs = [](int n) { return n == 0 || n == 3; };
    EXPECT_EQ(TimerValue(0, outputs), 1);
    EXPECT_EQ(TimerValue(0.9L, outputs), 1); // truncated
    EXPECT_EQ(TimerValue(1, outputs), 0);
    EXPECT_EQ(TimerValue(3.7L, outputs), 1);
    EXPECT_EQ(TimerValue(-0.5L, outputs), 1);
    EXPECT_EQ(TimerValue(4, outputs), 0);
    EXPECT_EQ(TimerValue(-1, outputs), 0);
    EXPECT_EQ(SoundTraceExpression(tgSquare), "timer(0)*((b*odd(x))-(b/2))");
}

} // namespace
} // namespace ondrix::app::testing
