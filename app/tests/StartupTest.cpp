// The start-up sequence with fakes: every switch, its default and its errors.
#include "InstrumentFixture.h"
#include "app/startup/UsageText.h"

#include <QTest>
#include <cmath>
#include <fstream>
#include <iterator>
#include <pty.h>
#include <unistd.h>

namespace ondrix::app::testing {
namespace {

using tonegen::tgNoise;
using tonegen::tgSine;
using tonegen::tgTriangle;

class StartupTest : public InstrumentTest
{
};

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(StartupTest, WithoutSwitchesEverythingHasItsDefault)
{
    TInstrument& o = Start();
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(caption, "Ondrix");
    EXPECT_TRUE(miniGraphPrepared);
    EXPECT_EQ(hides, 0);
    EXPECT_EQ(o.SelectedInterface(), None);
    EXPECT_FALSE(o.AudioPlaying());
    EXPECT_EQ(o.CloseVolume(), 255);
    EXPECT_TRUE(std::isnan(o.Calibration().CoefA) && std::isnan(o.Calibration().CoefB));
    EXPECT_EQ(o.FreqVar(Audio), 440);
    // The port frequencies come from their switches, 0 when absent.
    EXPECT_EQ(o.FreqVar(Io), 0);
    EXPECT_EQ(o.FreqVar(Dtr), 0);
    EXPECT_EQ(o.FreqVar(Rts), 0);
    EXPECT_EQ(o.ComPortName(), "COM1");
    EXPECT_FALSE(o.ComPortOpen());
    EXPECT_TRUE(log->Opened.empty());
    EXPECT_EQ(o.IoAddress(), 888);
    EXPECT_EQ(o.IoMask(), 255);
    for (TInterfaceId port : {Io, Dtr, Rts})
        EXPECT_FALSE(o.ToggleTimer(port)->Enabled());
    EXPECT_FALSE(startup->HidePending());
    EXPECT_EQ(o.InterfaceNames(),
              (std::array<std::string, 5>{"NULL", "Audio", "I/O(0378)", "DTR(COM1)", "RTS(COM1)"}));
    EXPECT_TRUE(sound->plays.empty());
    EXPECT_TRUE(std::filesystem::is_directory(settingsDir));
    EXPECT_TRUE(startup->SettingsKey().has_value());
    EXPECT_TRUE(startup->AtomTableKey());
    EXPECT_FALSE(startup->ExitCode());
    EXPECT_TRUE(endedWith.empty());
}

TEST_F(StartupTest, FrequencyVariablesAreTheParserCells)
{
    TInstrument& o = Start({"/audiofreq=1000", "/dtr=50"});
    ASSERT_TRUE(o.MDParser1.CompileExpression("AudioFreq*2+DTRFreq"));
    EXPECT_EQ(o.MDParser1.Value(), 2050);
    o.FreqVar(Audio) = 7;
    EXPECT_EQ(o.MDParser1.Value(), 64);
}

TEST_F(StartupTest, AudioFrequencyIsClampedForTheToneButKeptAsGiven)
{
    struct Case
    {
        const char* item;
        long double freqVar;
        std::int16_t toneFrequency;
    };
    const Case cases[] = {
        {"/audiofreq=1000", 1000, 1000},
        {"/AUDIOFREQ=$3E8", 1000, 1000},
        {"/audiofreq=70000", 70000, 20000},
        {"/audiofreq=-70000", -70000, 20},
        {"/audiofreq=5", 5, 20},
    };
    for (const Case& c : cases) {
        TInstrument& o = Start({c.item});
        EXPECT_EQ(o.FreqVar(Audio), c.freqVar) << c.item;
        EXPECT_EQ(o.ToneGen1.Frequency(), c.toneFrequency) << c.item;
        EXPECT_EQ(Shown(), "") << c.item;
    }
}

TEST_F(StartupTest, DurationIsClampedAndFallsBackToTheTonesOwn)
{
    const std::pair<const char*, std::int16_t> cases[] = {
        {"/duration=5000", 5000}, {"/duration=40000", 32767}, {"/duration=5", 10},
        {"/duration=-40000", 10}, {"/duration=soon", 100},    {"/duration=$64", 100},
    };
    for (const auto& [item, duration] : cases)
        EXPECT_EQ(Start({item}).ToneGen1.Duration(), duration) << item;
}

TEST_F(StartupTest, WaveformFlagsLastInTableOrderWinsAndStartTheTone)
{
    struct Case
    {
        std::vector<std::string> items;
        tonegen::TTGWave wave;
    };
    const Case cases[] = {
        {{"/sine"}, tgSine},
        {{"/triangle", "/sine"}, tgTriangle},
        {{"/SAWTOOTH", "/noise"}, tgNoise},
        {{"/square", "/triangle", "/noise"}, tgTriangle},
    };
    for (const Case& c : cases) {
        const std::size_t playsBefore = sound->plays.size();
        TInstrument& o = Start(c.items);
        EXPECT_EQ(o.ToneGen1.Waveform(), c.wave);
        EXPECT_EQ(o.SelectedInterface(), Audio);
        EXPECT_TRUE(o.AudioPlaying());
        EXPECT_EQ(sound->plays.size(), playsBefore + 1);
    }
}

TEST_F(StartupTest, RecordWritesThePlayedToneWithoutADialog)
{
    const auto wav = folder.Path() / "tone.wav";
    TInstrument& o = Start({"/square", "/audiofreq=1000", "/duration=50", "/record=" + wav.string()});
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(FileBytes(wav), sound->plays.back().image);
    EXPECT_EQ(FileBytes(wav).size(), o.ToneGen1.WaveImageSize());
    EXPECT_TRUE(dialogs->Asked().empty());
}

TEST_F(StartupTest, RecordWithoutAToneFailsAndEndsStartUp)
{
    const auto wav = folder.Path() / "tone.wav";
    Start({"/record=" + wav.string(), "/com=COM3", "/hide"});
    EXPECT_EQ(Shown(), "WAV File failed");
    EXPECT_EQ(origins.back(), "/record=" + wav.string());
    EXPECT_FALSE(std::filesystem::exists(wav));
    EXPECT_TRUE(log->Opened.empty());
    EXPECT_FALSE(startup->HidePending());
}

TEST_F(StartupTest, ErrorsEndStartUpAtTheirStep)
{
    struct Case
    {
        std::vector<std::string> items;
        std::string message;
    };
    const Case cases[] = {
        {{"/audiofreq=abc", "/com=COM3", "/hide"}, "'abc' is not a valid integer value"},
        {{"/audiofreq=1.5", "/com=COM3", "/hide"}, "'1.5' is not a valid integer value"},
        {{"/autoquit=soon", "/hide"}, "'soon' is not a valid integer value"},
        {{"/atom=token", "/hide"}, "'token' is not a valid integer value"},
        {{"/com=missing0", "/dtr=10", "/iofreq=10", "/hide"},
         "System Error.  Code: 2.\r\nNo such file or directory"},
    };
    for (const Case& c : cases) {
        TInstrument& o = Start(c.items);
        EXPECT_EQ(Shown(), c.message);
        EXPECT_EQ(shown.size(), 1u);
        EXPECT_EQ(startup->StartupError(), c.message);
        // Standard error names the switch it came from.
        EXPECT_EQ(origins.back(), c.items[0]);
        // The steps after the failing one stay undone.
        EXPECT_FALSE(startup->HidePending());
        EXPECT_FALSE(o.ToggleTimer(Dtr)->Enabled());
        EXPECT_FALSE(o.ToggleTimer(Io)->Enabled());
        EXPECT_EQ(o.InterfaceNames(), (std::array<std::string, 5>{}));
        EXPECT_FALSE(startup->ExitCode());
    }
    // The failed port keeps its name and no handle.
    EXPECT_EQ(instrument->ComPortName(), "missing0");
    EXPECT_FALSE(instrument->ComPortOpen());
    EXPECT_TRUE(log->Opened.empty());
    EXPECT_TRUE(endedWith.empty());
}

TEST_F(StartupTest, ComOpensTheFirstGivenPort)
{
    TInstrument& o = Start({"/com=COM3", "/COM=COM4"});
    EXPECT_EQ(log->Opened, std::vector<std::string>{"COM3"});
    EXPECT_TRUE(o.ComPortOpen());
    EXPECT_EQ(o.InterfaceName(Dtr), "DTR(COM3)");
    EXPECT_EQ(o.InterfaceName(Rts), "RTS(COM3)");
}

TEST_F(StartupTest, RealSerialDriverErrorsEndStartUp)
{
    int master = -1, slave = -1;
    char slaveName[256] = {};
    ASSERT_EQ(openpty(&master, &slave, slaveName, nullptr, nullptr), 0);
    const std::pair<std::string, std::string> cases[] = {
        {(folder.Path() / "ttyNone").string(), "System Error.  Code: 2.\r\nNo such file or directory"},
        // A pseudo-terminal has no modem lines to toggle.
        {slaveName, "System Error.  Code: 25.\r\nInappropriate ioctl for device"},
    };
    for (const auto& [port, message] : cases) {
        TOndrixServices services = Services();
        services.OpenSerialLine = platform::OpenSerialLine;
        TInstrument& o = Start({"/com=" + port, "/dtr=100"}, std::move(services));
        EXPECT_EQ(Shown(), message) << port;
        EXPECT_FALSE(o.ComPortOpen());
        EXPECT_FALSE(o.ToggleTimer(Dtr)->Enabled());
    }
    close(slave);
    close(master);
}

TEST_F(StartupTest, PortFrequenciesSetTheToggleTimers)
{
    TInstrument& o = Start({"/com=COM2", "/dtr=1000", "/rts=abc", "/iofreq=0"});
    EXPECT_EQ(o.FreqVar(Dtr), 1000);
    EXPECT_EQ(o.ToggleTimer(Dtr)->Interval(), 1);
    EXPECT_TRUE(o.ToggleTimer(Dtr)->Enabled());
    // Unparsable counts as 0: no interval, not running.
    EXPECT_EQ(o.FreqVar(Rts), 0);
    EXPECT_EQ(o.ToggleTimer(Rts)->Interval(), 0);
    EXPECT_FALSE(o.ToggleTimer(Rts)->Enabled());
    // The I/O toggle runs whenever its switch is there, even without ticks.
    EXPECT_EQ(o.ToggleTimer(Io)->Interval(), 0);
    EXPECT_TRUE(o.ToggleTimer(Io)->Enabled());

    TInstrument& p = Start({"/rts=2", "/iofreq=250"});
    EXPECT_EQ(p.ToggleTimer(Rts)->Interval(), 250);
    EXPECT_TRUE(p.ToggleTimer(Rts)->Enabled());
    EXPECT_EQ(p.ToggleTimer(Io)->Interval(), 2);
    EXPECT_TRUE(p.ToggleTimer(Io)->Enabled());
    EXPECT_EQ(p.FreqVar(Io), 250);
}

TEST_F(StartupTest, IoAddressAndMask)
{
    struct Case
    {
        std::vector<std::string> items;
        std::int32_t address;
        std::uint8_t mask;
        std::string name;
    };
    const Case cases[] = {
        {{"/io=$3BC"}, 956, 255, "I/O(03BC)"},         {{"/io=zz"}, 888, 255, "I/O(0378)"},
        {{"/io=0", "/iomask=15"}, 0, 15, "I/O(0000)"}, {{"/iomask=$F0"}, 888, 0xF0, "I/O(0378)"},
        {{"/iomask=300"}, 888, 255, "I/O(0378)"},      {{"/iomask=-1"}, 888, 0, "I/O(0378)"},
        {{"/iomask=x"}, 888, 255, "I/O(0378)"},
    };
    for (const Case& c : cases) {
        TInstrument& o = Start(c.items);
        EXPECT_EQ(o.IoAddress(), c.address);
        EXPECT_EQ(o.IoMask(), c.mask);
        EXPECT_EQ(o.InterfaceName(Io), c.name);
    }
}

TEST_F(StartupTest, UsageTextThenShutdownWithExitCodeZero)
{
    consoleIn.str("\n");
    TInstrument& o = Start({"/sine", "/?", "/com=COM3"});
    EXPECT_EQ(consoleOut.str(), UsageText("ondrix"));
    EXPECT_EQ(startup->ExitCode(), 0);
    EXPECT_EQ(endedWith, std::vector<int>{0});
    // Nothing after the usage text ran, and the shutdown did.
    EXPECT_TRUE(sound->plays.empty());
    EXPECT_TRUE(log->Opened.empty());
    EXPECT_EQ(o.CloseVolume(), 255);
    EXPECT_FALSE(o.IoPortLoaded());
    EXPECT_TRUE(startup->Args().Items().empty());
}

TEST_F(StartupTest, HideHidesTheWindowOnce)
{
    Start({"/hide"});
    EXPECT_TRUE(startup->HidePending());
    EXPECT_EQ(hides, 0); // not before the window is shown
    clock.Advance(1);
    EXPECT_EQ(hides, 1);
    clock.Advance(100);
    EXPECT_EQ(hides, 1);
    EXPECT_FALSE(startup->HidePending());
    EXPECT_FALSE(startup->ExitCode());
}

TEST_F(StartupTest, AutoQuitShutsDownOnTheGuiThreadWithExitCodeTwo)
{
    TInstrument& o = Start({"/com=COM5", "/autoquit=0"});
    EXPECT_TRUE(endedWith.empty()); // handed over, not run from the waiter
    ASSERT_TRUE(QTest::qWaitFor([&] { return !endedWith.empty(); }, 5000));
    EXPECT_EQ(endedWith, std::vector<int>{2});
    EXPECT_EQ(startup->ExitCode(), 2);
    EXPECT_EQ(log->Closed, std::vector<std::string>{"COM5"});
    EXPECT_FALSE(o.ComPortOpen());
}

TEST_F(StartupTest, BothWaitersFirstToFinishEndsTheProgramOnce)
{
    const std::uint16_t atom = atoms->Add("ondrix-test-token");
    ASSERT_NE(atom, 0);
    Start({"/atom=" + std::to_string(atom), "/autoquit=0"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !endedWith.empty(); }, 5000));
    QTest::qWait(20);
    EXPECT_EQ(endedWith, std::vector<int>{2});
    // The stopped atom waiter removed its booking.
    EXPECT_FALSE(platform::VolatileValues(atomTableDir).First());
}

TEST_F(StartupTest, AtomValueWaitsForTheAtomToGo)
{
    const std::uint16_t atom = atoms->Add("ondrix-test-token");
    ASSERT_NE(atom, 0);
    Start({"/atom=" + std::to_string(atom)});
    platform::VolatileValues book(atomTableDir);
    ASSERT_TRUE(QTest::qWaitFor([&] { return book.First().has_value(); }, 5000));
    EXPECT_EQ(book.First()->first, std::to_string(atom));
    EXPECT_EQ(book.First()->second, "ondrix-test-token");
    EXPECT_TRUE(endedWith.empty());

    ASSERT_TRUE(atoms->Delete(atom));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !endedWith.empty(); }, 5000));
    EXPECT_EQ(endedWith, std::vector<int>{2});
    EXPECT_FALSE(book.First());
}

TEST_F(StartupTest, AtomValuesThatWaitForNothingEndAtOnce)
{
    // 0 and negative numbers wait that many milliseconds; no atom 49999 exists.
    for (const char* item : {"/atom=0", "/atom=-20", "/atom=49999", "/atom=-2147483648"}) {
        endedWith.clear();
        Start({item});
        ASSERT_TRUE(QTest::qWaitFor([&] { return !endedWith.empty(); }, 5000)) << item;
        EXPECT_EQ(endedWith, std::vector<int>{2}) << item;
    }
}

TEST_F(StartupTest, AtomFlagDeletesBookedAtomsAndEndsWithZero)
{
    const std::uint16_t first = atoms->Add("first");
    const std::uint16_t second = atoms->Add("second");
    const std::uint16_t kept = atoms->Add("kept");
    platform::VolatileValues book(atomTableDir);
    ASSERT_TRUE(book.Set(std::to_string(first), "first"));
    ASSERT_TRUE(book.Set(std::to_string(second), "second"));
    ASSERT_TRUE(book.Set("stray", "x"));

    Start({"/atom", "/hide"});
    EXPECT_EQ(startup->ExitCode(), 0);
    EXPECT_EQ(endedWith, std::vector<int>{0});
    EXPECT_EQ(atoms->Name(first), "");
    EXPECT_EQ(atoms->Name(second), "");
    EXPECT_EQ(atoms->Name(kept), "kept");
    EXPECT_FALSE(book.First());
    EXPECT_FALSE(startup->HidePending());
}

TEST_F(StartupTest, DestroyReleasesThePortsOnce)
{
    TInstrument& o = Start({"/com=COM7"});
    startup->FormDestroy();
    startup->FormDestroy();
    EXPECT_EQ(log->Closed, std::vector<std::string>{"COM7"});
    EXPECT_FALSE(o.IoPortLoaded());
    EXPECT_FALSE(startup->SettingsKey());
    EXPECT_FALSE(startup->AtomTableKey());
    try {
        o.Out32(888, 1);
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "inpout dll failed to load");
    }
    EXPECT_TRUE(log->Writes.empty());
}

} // namespace
} // namespace ondrix::app::testing
