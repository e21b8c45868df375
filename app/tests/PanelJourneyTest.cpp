// A user's journey through the real program on a real X server (Xvfb, driven
// by xdotool) with a private sound server: what the panel plays is recorded
// from the null sink's monitor and measured.
#include "testsupport/PulseServer.h"
#include "testsupport/XSession.h"

#include <QProcess>
#include <algorithm>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace ondrix::app::testing {
namespace {

using testsupport::FindTone;
using testsupport::PulseServer;
using testsupport::Recording;
using testsupport::XSession;

// The centre of a control, in client pixels.
struct TSpot
{
    int x, y;
};
constexpr TSpot kSine{612, 84}, kPower{292, 84}, kSweep{352, 84}, kKnobUp{144, 194}, kEdit{164, 208},
    kAmplitudeUp{392, 136}, kDisplay{100, 100};

class PanelJourneyTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        if (!sound.Available()) GTEST_SKIP() << sound.WhyUnavailable();
        if (!x.Start()) GTEST_SKIP() << x.WhyUnavailable().toStdString();
        ASSERT_TRUE(sound.KeepSinkAwake());
        ASSERT_TRUE(sound.SetSinkVolumePercent(50));
    }

    void TearDown() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(3000);
        }
    }

    bool Launch(const QStringList& switches)
    {
        program.setProcessEnvironment(x.Environment());
        program.start(ONDRIX_BIN, switches);
        if (!program.waitForStarted(5000)) return false;
        window = x.WaitForWindow("^Ondrix$", 30000);
        if (window.isEmpty()) return false;
        x.Xdotool({"windowfocus", "--sync", window});
        QThread::msleep(300); // the first paint
        return true;
    }

    void Click(TSpot spot) const
    {
        x.Xdotool({"mousemove", "--window", window, QString::number(spot.x), QString::number(spot.y), "click", "1"});
    }

    void Keys(const QStringList& keys) const
    {
        QStringList arguments{"key", "--delay", "30"};
        x.Xdotool(arguments + keys);
    }

    // Answers the prompt titled `title` with `text` and Return.
    bool Answer(const QString& title, const QString& text) const
    {
        const QString prompt = x.WaitForWindow("^" + title + "$");
        if (prompt.isEmpty()) return false;
        x.Xdotool({"windowfocus", "--sync", prompt});
        QThread::msleep(100);
        // The pre-filled text is selected: typing replaces it.
        x.Xdotool({"type", "--delay", "20", text});
        x.Xdotool({"key", "Return"});
        return true;
    }

    // What the sink plays during `action` and `afterwards` milliseconds more.
    template <typename Action> Recording Hear(Action action, int afterwards)
    {
        auto recorder = sound.StartRecording();
        if (!recorder) return {};
        action();
        QThread::msleep(afterwards);
        return recorder->Stop();
    }

    static std::optional<double> Frequency(const Recording& recording)
    {
        const auto tone = FindTone(recording, 0);
        if (!tone || tone->frequencyHz <= 0) return std::nullopt;
        return tone->frequencyHz;
    }

    // The frequencies heard in successive slices of a recording.
    static std::vector<int> FrequenciesBySlice(const Recording& recording, double sliceSeconds)
    {
        std::vector<int> heard;
        const auto frames = static_cast<std::size_t>(sliceSeconds * recording.sampleRate);
        for (std::size_t start = 0; start + frames <= recording.Frames(); start += frames) {
            Recording slice{recording.sampleRate, recording.channels, {}};
            slice.samples.assign(recording.samples.begin() + start * recording.channels,
                                 recording.samples.begin() + (start + frames) * recording.channels);
            if (const auto hertz = Frequency(slice)) {
                const int rounded = static_cast<int>(*hertz / 50 + 0.5) * 50;
                if (heard.empty() || heard.back() != rounded) heard.push_back(rounded);
            }
        }
        return heard;
    }

    PulseServer sound;
    XSession x;
    QProcess program;
    QString window;
};

TEST_F(PanelJourneyTest, PlayTuneSweepCopyAndPowerOff)
{
    ASSERT_TRUE(Launch({"/duration=900"})) << program.readAllStandardError().toStdString();

    // The sine button plays 440 Hz.
    const Recording sine = Hear([&] { Click(kSine); }, 1200);
    ASSERT_TRUE(Frequency(sine)) << "nothing heard";
    EXPECT_NEAR(*Frequency(sine), 440, 3);

    // "$" is the 1000 Hz button.
    const Recording kilohertz = Hear([&] { Keys({"dollar"}); }, 1200);
    ASSERT_TRUE(Frequency(kilohertz));
    EXPECT_NEAR(*Frequency(kilohertz), 1000, 5);

    // The knob's up arrow adds 5 Hz.
    const Recording knob = Hear([&] { Click(kKnobUp); }, 1200);
    ASSERT_TRUE(Frequency(knob));
    EXPECT_NEAR(*Frequency(knob), 1005, 4);

    // The frequency prompt takes a formula.
    const Recording formula = Hear(
        [&] {
            Click(kEdit);
            EXPECT_TRUE(Answer("Frequency", "AudioFreq*2"));
        },
        1200);
    ASSERT_TRUE(Frequency(formula));
    EXPECT_NEAR(*Frequency(formula), 2010, 8);

    // A sweep from 500 to 2000 Hz in steps of 500 every 300 ms climbs.
    Click(kSweep);
    ASSERT_TRUE(Answer("Sweep Interval", "300"));
    ASSERT_TRUE(Answer("Start Frequency", "500"));
    ASSERT_TRUE(Answer("End Frequency", "2000"));
    const Recording sweep = Hear([&] { EXPECT_TRUE(Answer("Steps", "500")); }, 1500);
    Click(kSweep); // stops it
    const std::vector<int> heard = FrequenciesBySlice(sweep, 0.1);
    const auto at = [&](int hertz) { return std::find(heard.begin(), heard.end(), hertz) - heard.begin(); };
    ASSERT_LT(at(1000), static_cast<long>(heard.size())) << ::testing::PrintToString(heard);
    ASSERT_LT(at(1500), static_cast<long>(heard.size())) << ::testing::PrintToString(heard);
    EXPECT_LT(at(1000), at(1500)) << ::testing::PrintToString(heard);

    // The amplitude's up arrow raises the master volume by 5 %.
    Click(kAmplitudeUp);
    QThread::msleep(300);
    EXPECT_EQ(sound.SinkVolumePercent(), 55);

    // The display's menu: "Copy to Clipboard" puts the status text there.
    QThread::msleep(600); // a display refresh
    Click(kDisplay);
    QThread::msleep(300);
    const QStringList entries{"Help",           "Calibrate Voltage",  "Voltmeter Type",   "Enter Amplitude",
                              "Set Audio Voltage", "Save To Batch File", "Copy to Clipboard"};
    QStringList downs;
    for (int i = 0; i < entries.indexOf("Copy to Clipboard") + 1; ++i)
        downs << "Down";
    Keys(downs + QStringList{"Return"});
    QThread::msleep(300);
    const QString status = x.Clipboard();
    EXPECT_TRUE(status.startsWith("Interface: Audio\r\nAmplitude: 55%\r\nFrequency: ")) << status.toStdString();
    EXPECT_TRUE(status.endsWith("Voltage: NAN(def)")) << status.toStdString();

    // Help ▸ Manual opens the help window beside the panel.
    Click(kDisplay);
    QThread::msleep(300);
    Keys({"Down", "Right", "Return"});
    const QString help = x.WaitForWindow("^Brevant Help$", 5000);
    ASSERT_FALSE(help.isEmpty());
    // No window manager here: move it off the panel so the power button shows.
    x.Xdotool({"windowmove", help, "300", "400"});
    x.Xdotool({"windowfocus", "--sync", window});

    // The power button ends the program and puts the volume back.
    Click(kPower);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_EQ(sound.SinkVolumePercent(), 50);
}

TEST_F(PanelJourneyTest, ALostXConnectionStillPutsTheVolumeBack)
{
    ASSERT_TRUE(Launch({"/amp=40"}));
    ASSERT_EQ(sound.SinkVolumePercent(), 40);
    x.Stop();
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_EQ(sound.SinkVolumePercent(), 50);
}

TEST_F(PanelJourneyTest, AContinuousToneHoldsUntilTheProgramEnds)
{
    auto recorder = sound.StartRecording();
    ASSERT_TRUE(recorder);
    program.setProcessEnvironment(x.Environment());
    program.start(ONDRIX_BIN, {"/sine", "/loop", "/hide", "/autoquit=3000"});
    ASSERT_TRUE(program.waitForFinished(15000));
    EXPECT_EQ(program.exitCode(), 2) << program.readAllStandardError().toStdString();
    QThread::msleep(300);
    const Recording heard = recorder->Stop();
    const auto tone = FindTone(heard, 0);
    ASSERT_TRUE(tone);
    EXPECT_NEAR(tone->frequencyHz, 440, 2);
    EXPECT_GT(tone->Seconds(heard.sampleRate), 2.5);
    EXPECT_LT(tone->Seconds(heard.sampleRate), 3.6);
    // No gap: never a quiet stretch longer than half a period.
    EXPECT_LT(tone->longestQuiet, heard.sampleRate / 440 / 2);
}

} // namespace
} // namespace ondrix::app::testing
