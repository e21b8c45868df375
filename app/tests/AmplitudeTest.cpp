// The amplitude on a master volume in memory: start-up, the arrows, the
// prompt and the restore at shutdown.
#include "InstrumentFixture.h"

#include <QtTest/QTest>

namespace ondrix::app::testing {
namespace {

using Sets = std::vector<unsigned>;

class AmplitudeTest : public InstrumentTest
{
  protected:
    std::shared_ptr<TFakeMasterVolume> master = std::make_shared<TFakeMasterVolume>(65);

    TInstrument& StartOnMaster(std::vector<std::string> switches = {})
    {
        TOndrixServices services = Services();
        services.MasterVolume = master;
        return Start(std::move(switches), std::move(services));
    }

    // Ends the program as the power button does.
    void Shutdown() { startup.reset(); }
};

TEST_F(AmplitudeTest, StartUpLeavesTheUsersVolumeAndShutdownRestoresIt)
{
    TInstrument& o = StartOnMaster({"/amp=40"});
    EXPECT_EQ(o.CloseVolume(), 65);
    EXPECT_EQ(o.Amplitude(), 40);
    EXPECT_EQ(master->Sets, Sets{40}); // the volume just read is not written back
    Shutdown();
    EXPECT_EQ(master->Sets, (Sets{40, 65}));
    EXPECT_EQ(master->Percent(), 65u);
}

TEST_F(AmplitudeTest, WithoutAmpTheControlShowsTheMasterVolume)
{
    TInstrument& o = StartOnMaster();
    EXPECT_EQ(o.Amplitude(), 65);
    EXPECT_TRUE(master->Sets.empty());
    Shutdown();
    EXPECT_EQ(master->Sets, Sets{65});
}

TEST_F(AmplitudeTest, CloseVolumeSwitches)
{
    struct Case
    {
        std::vector<std::string> switches;
        int closeVolume;
        Sets atShutdown;
    } cases[] = {
        {{"/nobackupvoltage", "/amp=40"}, 101, {}},
        {{"/closevol=20", "/nobackupvoltage", "/amp=40"}, 101, {}}, // "/nobackupvoltage" wins
        {{"/closevol=20", "/amp=40"}, 20, {20}},
        {{"/closevol=300", "/amp=40"}, 101, {}}, // above 100: restore nothing, never 44
        {{"/closevol=100"}, 100, {100}},
        {{"/closevol=-3"}, 0, {0}},
        {{"/closevol=abc"}, 65, {65}},
        {{"/CLOSEVOL=$10"}, 16, {16}},
        {{"/closevol=99999999999", "/amp=40"}, 101, {}}, // clamped, not taken as absent
        {{"/closevol=-99999999999"}, 0, {0}},
    };
    for (const Case& c : cases) {
        master = std::make_shared<TFakeMasterVolume>(65);
        TInstrument& o = StartOnMaster(c.switches);
        EXPECT_EQ(o.CloseVolume(), c.closeVolume) << c.switches[0];
        const std::size_t before = master->Sets.size();
        Shutdown();
        EXPECT_EQ(Sets(master->Sets.begin() + before, master->Sets.end()), c.atShutdown) << c.switches[0];
    }
}

TEST_F(AmplitudeTest, AmpIsClampedNeverWrapped)
{
    const std::pair<const char*, unsigned> cases[] = {
        {"/amp=300", 100}, {"/amp=256", 100}, {"/amp=-7", 0},          {"/amp=99999999999", 100},
        {"/amp=$32", 50},  {"/amp=0", 0},     {"/amp=-99999999999", 0},
    };
    for (const auto& [item, expected] : cases) {
        master = std::make_shared<TFakeMasterVolume>(65);
        TInstrument& o = StartOnMaster({item, "/nobackupvoltage"});
        EXPECT_EQ(master->Sets, Sets{expected}) << item;
        EXPECT_EQ(o.Amplitude(), static_cast<int>(expected)) << item;
    }
}

TEST_F(AmplitudeTest, AnUnparsableAmpLeavesTheVolumeAndStartUpGoesOn)
{
    for (const char* item : {"/amp=abc", "/amp=", "/amp=12.5"}) {
        master = std::make_shared<TFakeMasterVolume>(65);
        TInstrument& o = StartOnMaster({item, "/sine", "/nobackupvoltage"});
        EXPECT_TRUE(master->Sets.empty()) << item; // never full volume on a typo
        EXPECT_EQ(o.Amplitude(), 65) << item;
        const std::string value = std::string(item).substr(5);
        EXPECT_EQ(Shown(), "'" + value + "' is not a valid integer value");
        EXPECT_EQ(origins.back(), item);
        EXPECT_FALSE(startup->StartupError()); // the later switches ran
        EXPECT_TRUE(o.AudioPlaying()) << item;
    }
}

TEST_F(AmplitudeTest, AnUnreadableVolumeIsReportedAndNeverWritten)
{
    master->Readable = false;
    ::testing::internal::CaptureStderr();
    TInstrument& o = StartOnMaster();
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find(" - Couldn't get current voltage\n"), std::string::npos) << errors;
    EXPECT_EQ(o.CloseVolume(), 255);
    EXPECT_EQ(o.Amplitude(), 100);
    EXPECT_EQ(o.GetSystemVolume(), 255);
    Shutdown();
    EXPECT_TRUE(master->Sets.empty()); // neither 255 % nor 100 %
}

TEST_F(AmplitudeTest, ABoostedOutputIsLeftOrPutBackAsFound)
{
    master = std::make_shared<TFakeMasterVolume>(150);
    TInstrument& o = StartOnMaster();
    EXPECT_EQ(o.GetSystemVolume(), 150);
    EXPECT_EQ(o.Amplitude(), 100);
    Shutdown();
    EXPECT_TRUE(master->Sets.empty());

    // Once the amplitude was changed, shutdown puts the boost back.
    master = std::make_shared<TFakeMasterVolume>(150);
    StartOnMaster({"/amp=40"});
    EXPECT_EQ(master->Sets, Sets{40});
    Shutdown();
    EXPECT_EQ(master->Sets, (Sets{40, 150}));

    // "/closevol" and "/nobackupvoltage" still decide over it.
    for (const char* keep : {"/nobackupvoltage", "/closevol=300"}) {
        master = std::make_shared<TFakeMasterVolume>(150);
        StartOnMaster({"/amp=40", keep});
        Shutdown();
        EXPECT_EQ(master->Sets, Sets{40}) << keep;
    }
}

TEST_F(AmplitudeTest, SetSystemVolumeMovesTheControlFirstAndClamps)
{
    TInstrument& o = StartOnMaster({"/nobackupvoltage"});
    EXPECT_TRUE(o.SetSystemVolume(120));
    EXPECT_EQ(master->Sets.back(), 100u);
    EXPECT_EQ(o.Amplitude(), 100);
    master->Settable = false;
    EXPECT_FALSE(o.SetSystemVolume(30));
    EXPECT_EQ(o.Amplitude(), 30);
}

TEST_F(AmplitudeTest, ArrowsStepByFiveAndRestartTheTone)
{
    TInstrument& o = StartOnMaster({"/amp=40", "/nobackupvoltage"});
    const std::size_t plays = sound->plays.size();
    o.StepAmplitude(TStep::Up);
    EXPECT_EQ(o.Amplitude(), 45);
    EXPECT_EQ(master->Sets.back(), 45u);
    EXPECT_TRUE(o.AudioPlaying());
    EXPECT_EQ(sound->plays.size(), plays + 1);
    o.StepAmplitude(TStep::Down);
    o.StepAmplitude(TStep::Down);
    EXPECT_EQ(master->Sets.back(), 35u);

    o.SetSystemVolume(100);
    o.StepAmplitude(TStep::Up); // no wrap at the top
    EXPECT_EQ(master->Sets.back(), 100u);
    o.SetSystemVolume(0);
    o.StepAmplitude(TStep::Down);
    EXPECT_EQ(master->Sets.back(), 0u);
}

TEST_F(AmplitudeTest, AnArrowTheServerRefusesStopsTheToneAndSaysSo)
{
    TInstrument& o = StartOnMaster({"/amp=40", "/sine", "/nobackupvoltage"});
    ASSERT_TRUE(o.AudioPlaying());
    master->Settable = false;
    const int stops = sound->stops;
    EXPECT_EQ(ErrorOf([&] { o.StepAmplitude(TStep::Up); }), "Amplitude failed");
    EXPECT_FALSE(o.AudioPlaying());
    EXPECT_GT(sound->stops, stops);
    EXPECT_EQ(o.Amplitude(), 45); // the control has moved all the same
}

TEST_F(AmplitudeTest, EnterAmplitudeTakesAFormulaRoundedHalfToEven)
{
    TInstrument& o = StartOnMaster({"/amp=40", "/nobackupvoltage"});
    const std::pair<const char*, unsigned> cases[] = {
        {"45.5", 46}, {"44.5", 44}, {"2*25", 50}, {"AudioFreq/10", 44}, {"300", 100}, {"-20", 0},
    };
    for (const auto& [text, expected] : cases) {
        dialogs->Answer(text);
        o.EnterAmplitude();
        EXPECT_EQ(master->Sets.back(), expected) << text;
        EXPECT_EQ(o.Amplitude(), static_cast<int>(expected)) << text;
    }
    EXPECT_EQ(dialogs->Asked().back().Caption, "Amplitude");
    EXPECT_EQ(dialogs->Asked().back().Prompt, "Enter amplitude in percentage");
    EXPECT_EQ(dialogs->Asked().back().PreFilled, "100"); // the position before
}

TEST_F(AmplitudeTest, EnterAmplitudeCancelledOrWrongLeavesTheVolume)
{
    TInstrument& o = StartOnMaster({"/amp=40", "/nobackupvoltage"});
    dialogs->Cancel(); // cancelling gives the pre-filled position back
    o.EnterAmplitude();
    EXPECT_EQ(master->Percent(), 40u);

    const std::size_t sets = master->Sets.size();
    dialogs->Answer("2*(3");
    EXPECT_ANY_THROW(o.EnterAmplitude());
    dialogs->Answer("ln(0-1)");
    EXPECT_ANY_THROW(o.EnterAmplitude());
    EXPECT_EQ(master->Sets.size(), sets);
    EXPECT_EQ(o.Amplitude(), 40);
}

} // namespace
} // namespace ondrix::app::testing
