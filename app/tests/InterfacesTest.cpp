// The interface table, the connector and Active boxes, the port toggles and
// the two port buttons, on recorded fake ports.
#include "InstrumentFixture.h"

#include <QTest>

namespace ondrix::app::testing {
namespace {

using Line = TPortLog::LineChange;
using Write = TPortLog::Write;

class InterfacesTest : public InstrumentTest
{
  protected:
    void SetUp() override { Start({"/com=COM1"}); }

    // A click on a box toggles it, then its handler runs.
    void ClickConnector(TInterfaceId id) { instrument->ClickConnector(id, !instrument->ConnectorChecked(id)); }
    void ClickActive() { instrument->ClickActive(!instrument->ActiveChecked()); }
};

TEST_F(InterfacesTest, NamesAndTheirErrors)
{
    TInstrument& o = *instrument;
    o.SetInterfaceName(None, "ignored");
    o.SetInterfaceName(Audio, "ignored");
    o.SetInterfaceName(Io, "03BC");
    EXPECT_EQ(o.InterfaceName(None), "NULL");
    EXPECT_EQ(o.InterfaceName(Audio), "Audio");
    EXPECT_EQ(o.InterfaceName(Io), "I/O(03BC)");
    const auto five = static_cast<TInterfaceId>(5), minusOne = static_cast<TInterfaceId>(-1);
    EXPECT_EQ(ErrorOf([&] { o.SetInterfaceName(five, "x"); }), "\"5\" is not as valid interface id");
    EXPECT_EQ(ErrorOf([&] { o.SetInterfaceName(minusOne, "x"); }), "\"-1\" is not as valid interface id");
    EXPECT_EQ(ErrorOf([&] { o.InterfaceName(five); }), "\"5\" is not a valid interface id");
    EXPECT_EQ(ErrorOf([&] { o.InterfaceName(minusOne); }), "\"-1\" is not a valid interface id");
}

TEST_F(InterfacesTest, ActiveBoxWithNothingSelectedDoesNothing)
{
    TInstrument& o = *instrument;
    ClickActive();
    EXPECT_TRUE(o.ActiveChecked());
    EXPECT_FALSE(o.AudioPlaying());
    EXPECT_TRUE(sound->plays.empty());
    for (TInterfaceId port : {Io, Dtr, Rts})
        EXPECT_FALSE(o.ToggleTimer(port)->Enabled());
}

TEST_F(InterfacesTest, ConnectorSelectsAndAppliesTheActiveBox)
{
    TInstrument& o = *instrument;
    // DTR running, Active cleared: clicking connector 3 switches DTR off.
    o.ToggleTimer(Dtr)->SetEnabled(true);
    ClickConnector(Dtr);
    EXPECT_EQ(o.SelectedInterface(), Dtr);
    EXPECT_TRUE(o.ConnectorChecked(Dtr));
    EXPECT_FALSE(o.ToggleTimer(Dtr)->Enabled());

    // Active checked: clicking it again (which unchecks the box) switches it on:
    // the selection is the box clicked last, checked or not.
    o.SetActiveChecked(true);
    ClickConnector(Dtr);
    EXPECT_FALSE(o.ConnectorChecked(Dtr));
    EXPECT_EQ(o.SelectedInterface(), Dtr);
    EXPECT_TRUE(o.ToggleTimer(Dtr)->Enabled());

    // Only the selected output changes; the others are unchecked.
    ClickConnector(Rts);
    EXPECT_TRUE(o.ToggleTimer(Rts)->Enabled());
    EXPECT_TRUE(o.ToggleTimer(Dtr)->Enabled());
    ClickConnector(Io);
    EXPECT_TRUE(o.ToggleTimer(Io)->Enabled());
    EXPECT_FALSE(o.ConnectorChecked(Rts));
    EXPECT_TRUE(o.ConnectorChecked(Io));
    EXPECT_FALSE(o.AudioPlaying());
    EXPECT_TRUE(sound->plays.empty());
}

TEST_F(InterfacesTest, SoundOutputPlaysAndStops)
{
    TInstrument& o = *instrument;
    ClickConnector(Audio);
    EXPECT_EQ(o.SelectedInterface(), Audio);
    EXPECT_FALSE(o.AudioPlaying());
    EXPECT_TRUE(sound->plays.empty());

    ClickActive();
    EXPECT_TRUE(o.AudioPlaying());
    EXPECT_EQ(sound->plays.size(), 1u);

    // Another connector leaves the sound playing.
    ClickConnector(Io);
    EXPECT_TRUE(o.AudioPlaying());

    ClickConnector(Audio); // Active still checked: plays again
    EXPECT_EQ(sound->plays.size(), 2u);
    const int stops = sound->stops;
    ClickActive();
    EXPECT_FALSE(o.AudioPlaying());
    EXPECT_GT(sound->stops, stops);
}

TEST_F(InterfacesTest, ParallelPortTogglesByMask)
{
    TInstrument& o = *instrument;
    for (int i = 0; i < 3; ++i)
        o.IoTick();
    EXPECT_EQ(log->Writes, (std::vector<Write>{{888, 255}, {888, 0}, {888, 255}}));

    log->Writes.clear();
    o.SetIoMask(15);
    o.SetIoAddress(0x3BC);
    for (int i = 0; i < 3; ++i)
        o.IoTick();
    EXPECT_EQ(log->Writes, (std::vector<Write>{{0x3BC, 240}, {0x3BC, 255}, {0x3BC, 240}}));

    log->Writes.clear();
    o.SetIoMask(0);
    o.IoTick();
    o.IoTick();
    EXPECT_EQ(log->Writes, (std::vector<Write>{{0x3BC, 240}, {0x3BC, 240}}));

    // Outside 1..65535 nothing is written and the state stays.
    log->Writes.clear();
    o.SetIoMask(255);
    for (std::int32_t address : {0, -1, 65536}) {
        o.SetIoAddress(address);
        o.IoTick();
    }
    EXPECT_TRUE(log->Writes.empty());
    EXPECT_EQ(o.IoState(), 240);
    o.SetIoAddress(65535);
    o.IoTick();
    EXPECT_EQ(log->Writes, (std::vector<Write>{{65535, 15}}));
}

TEST_F(InterfacesTest, SerialLinesToggleIndependently)
{
    TInstrument& o = *instrument;
    for (int i = 0; i < 4; ++i)
        o.DtrTick();
    EXPECT_EQ(log->Lines,
              (std::vector<Line>{
                  {"COM1", 'D', true}, {"COM1", 'D', false}, {"COM1", 'D', true}, {"COM1", 'D', false}}));
    log->Lines.clear();
    o.RtsTick();
    o.DtrTick();
    o.RtsTick();
    EXPECT_EQ(log->Lines,
              (std::vector<Line>{{"COM1", 'R', true}, {"COM1", 'D', true}, {"COM1", 'R', false}}));
}

TEST_F(InterfacesTest, TicksWithoutAPortReportTheSystemError)
{
    TInstrument& o = *instrument;
    o.CloseComPort();
    const std::string badHandle = "System Error.  Code: 9.\r\nBad file descriptor";
    EXPECT_EQ(ErrorOf([&] { o.DtrTick(); }), badHandle);
    EXPECT_EQ(ErrorOf([&] { o.RtsTick(); }), badHandle);
    // The level toggled all the same, so a new port continues from it.
    EXPECT_TRUE(o.DtrState());
    EXPECT_TRUE(o.RtsState());
}

TEST_F(InterfacesTest, UnusableIoPortReportsOnEveryTick)
{
    ioPortUsable = false; // the real driver on a device that does not exist
    TInstrument& o = Start();
    EXPECT_EQ(Shown(), ""); // not reported at start
    EXPECT_EQ(ErrorOf([&] { o.IoTick(); }), "inpout dll failed to load");
    EXPECT_EQ(ErrorOf([&] { o.IoTick(); }), "inpout dll failed to load");
}

TEST_F(InterfacesTest, RunningTimerErrorsGoToTheDisplayOnEveryTick)
{
    TInstrument& o = *instrument;
    o.CloseComPort();
    o.ToggleTimer(Rts)->SetInterval(1);
    o.ToggleTimer(Rts)->SetEnabled(true);
    clock.Advance(3);
    EXPECT_EQ(shown, std::vector<std::string>(3, "System Error.  Code: 9.\r\nBad file descriptor"));
    EXPECT_TRUE(o.ToggleTimer(Rts)->Enabled()); // it keeps running
}

TEST_F(InterfacesTest, ComPortButton)
{
    TInstrument& o = *instrument;
    dialogs->Answer("COM2");
    o.ChangeComPort();
    ASSERT_EQ(dialogs->Asked().size(), 1u);
    EXPECT_EQ(dialogs->Asked()[0].Caption, "Change COM Port");
    EXPECT_EQ(dialogs->Asked()[0].Prompt, "Enter COM Port");
    EXPECT_EQ(dialogs->Asked()[0].PreFilled, "COM1");
    EXPECT_EQ(o.ComPortName(), "COM2");
    EXPECT_EQ(o.InterfaceName(Dtr), "DTR(COM2)");
    EXPECT_EQ(o.InterfaceName(Rts), "RTS(COM2)");
    EXPECT_EQ(o.InterfaceName(Io), "I/O(0378)");
    EXPECT_EQ(log->Closed, std::vector<std::string>{"COM1"});
    EXPECT_EQ(log->Opened, (std::vector<std::string>{"COM1", "COM2"}));

    // A running toggle goes on with the new port.
    o.DtrTick();
    EXPECT_EQ(log->Lines.back(), (Line{"COM2", 'D', true}));

    dialogs->Cancel();
    o.ChangeComPort();
    EXPECT_EQ(o.ComPortName(), "COM2");
    EXPECT_EQ(log->Opened.size(), 2u);
    EXPECT_EQ(dialogs->Asked().back().PreFilled, "COM2");
}

TEST_F(InterfacesTest, ComPortButtonFailureKeepsTheNewName)
{
    TInstrument& o = *instrument;
    dialogs->Answer("missing7");
    EXPECT_EQ(ErrorOf([&] { o.ChangeComPort(); }), "System Error.  Code: 2.\r\nNo such file or directory");
    EXPECT_EQ(o.ComPortName(), "missing7");
    EXPECT_EQ(o.InterfaceName(Dtr), "DTR(missing7)");
    EXPECT_FALSE(o.ComPortOpen());
    EXPECT_EQ(log->Closed, std::vector<std::string>{"COM1"});
}

TEST_F(InterfacesTest, IoAddressButton)
{
    TInstrument& o = *instrument;
    struct Case
    {
        QString address, mask;
        std::int32_t ioAddress;
        std::uint8_t ioMask;
        std::string name;
    };
    const Case cases[] = {
        {"$3BC", "15", 956, 15, "I/O(03BC)"},
        {"888", "$FF", 888, 255, "I/O(0378)"},
        {"$278", "300", 0x278, 255, "I/O(0278)"},
        {"$278", "-1", 0x278, 0, "I/O(0278)"},
    };
    for (const Case& c : cases) {
        dialogs->Answer(c.address);
        dialogs->Answer(c.mask);
        o.ChangeIoPort();
        EXPECT_EQ(o.IoAddress(), c.ioAddress);
        EXPECT_EQ(o.IoMask(), c.ioMask);
        EXPECT_EQ(o.InterfaceName(Io), c.name);
    }
    const auto& asked = dialogs->Asked();
    ASSERT_EQ(asked.size(), 8u);
    EXPECT_EQ(asked[6].Caption, "I/O Address");
    EXPECT_EQ(asked[6].Prompt, "Enter I/O Address");
    EXPECT_EQ(asked[6].PreFilled, "$378"); // always, not the current address
    EXPECT_EQ(asked[7].Caption, "Mask");
    EXPECT_EQ(asked[7].Prompt, "Enter a number to XOR the register by");
    EXPECT_EQ(asked[7].PreFilled, "$FF");
}

TEST_F(InterfacesTest, IoAddressButtonCancelAndBadAnswers)
{
    TInstrument& o = *instrument;
    // 0x55 in the register: one tick with that mask.
    o.SetIoMask(0x55);
    o.IoTick();
    ASSERT_EQ(o.IoState(), 0x55);
    o.SetIoMask(255);
    dialogs->Cancel();
    o.ChangeIoPort();
    dialogs->Answer("$3BC");
    dialogs->Cancel();
    o.ChangeIoPort();
    EXPECT_EQ(o.IoAddress(), 888);
    EXPECT_EQ(o.IoMask(), 255);

    dialogs->Answer("lpt1");
    dialogs->Answer("15");
    EXPECT_EQ(ErrorOf([&] { o.ChangeIoPort(); }), "'lpt1' is not a valid integer value");
    EXPECT_EQ(o.IoAddress(), 888);
    EXPECT_EQ(o.InterfaceName(Io), "I/O(0378)");

    // A bad mask comes after the address was taken.
    dialogs->Answer("$3BC");
    dialogs->Answer("all");
    EXPECT_EQ(ErrorOf([&] { o.ChangeIoPort(); }), "'all' is not a valid integer value");
    EXPECT_EQ(o.IoAddress(), 956);
    EXPECT_EQ(o.InterfaceName(Io), "I/O(03BC)");
    EXPECT_EQ(o.IoMask(), 255);
    EXPECT_EQ(o.IoState(), 0x55); // never reset by a change
    EXPECT_TRUE(dialogs->ScriptUsedUp());
}

} // namespace
} // namespace ondrix::app::testing
