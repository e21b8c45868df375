// The interface table, the connector and Active boxes, the port toggles and
// the two port buttons, on recorded fake ports.
#include "OndrixFixture.h"

#include <QTest>

namespace ondrix::app::testing {
namespace {

using Line = TPortLog::LineChange;
using Write = TPortLog::Write;

class InterfacesTest : public OndrixTest
{
  protected:
    void SetUp() override { Start({"/com=COM1"}); }

    void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, 4)); }

    std::string ErrorOf(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "";
    }
};

TEST_F(InterfacesTest, NamesAndTheirErrors)
{
    TOndrix& o = *ondrix;
    o.SetInterfaceName(0, "ignored");
    o.SetInterfaceName(1, "ignored");
    o.SetInterfaceName(2, "03BC");
    EXPECT_EQ(o.InterfaceName(0), "NULL");
    EXPECT_EQ(o.InterfaceName(1), "Audio");
    EXPECT_EQ(o.InterfaceName(2), "I/O(03BC)");
    EXPECT_EQ(ErrorOf([&] { o.SetInterfaceName(5, "x"); }), "\"5\" is not as valid interface id");
    EXPECT_EQ(ErrorOf([&] { o.SetInterfaceName(-1, "x"); }), "\"-1\" is not as valid interface id");
    EXPECT_EQ(ErrorOf([&] { o.InterfaceName(5); }), "\"5\" is not a valid interface id");
    EXPECT_EQ(ErrorOf([&] { o.InterfaceName(-1); }), "\"-1\" is not a valid interface id");
}

TEST_F(InterfacesTest, ActiveBoxWithNothingSelectedDoesNothing)
{
    TOndrix& o = *ondrix;
    Click(o.CheckBox5);
    EXPECT_TRUE(o.CheckBox5->isChecked());
    EXPECT_FALSE(o.AudioPlaying);
    EXPECT_EQ(log->Plays, 0);
    for (TTimer* timer : {o.Timer1, o.Timer2, o.Timer3})
        EXPECT_FALSE(timer->Enabled());
}

TEST_F(InterfacesTest, ConnectorSelectsAndAppliesTheActiveBox)
{
    TOndrix& o = *ondrix;
    // DTR running, Active cleared: clicking connector 3 switches DTR off.
    o.Timer1->SetEnabled(true);
    Click(o.CheckBox3);
    EXPECT_EQ(o.SelectedInterface, 3);
    EXPECT_TRUE(o.CheckBox3->isChecked());
    EXPECT_FALSE(o.Timer1->Enabled());

    // Active checked: clicking it again (which unchecks the box) switches it on:
    // the selection is the box clicked last, checked or not.
    o.CheckBox5->setChecked(true);
    Click(o.CheckBox3);
    EXPECT_FALSE(o.CheckBox3->isChecked());
    EXPECT_EQ(o.SelectedInterface, 3);
    EXPECT_TRUE(o.Timer1->Enabled());

    // Only the selected output changes; the others are unchecked.
    Click(o.CheckBox4);
    EXPECT_TRUE(o.Timer2->Enabled());
    EXPECT_TRUE(o.Timer1->Enabled());
    Click(o.CheckBox2);
    EXPECT_TRUE(o.Timer3->Enabled());
    EXPECT_FALSE(o.CheckBox4->isChecked());
    EXPECT_TRUE(o.CheckBox2->isChecked());
    EXPECT_FALSE(o.AudioPlaying);
    EXPECT_EQ(log->Plays, 0);
}

TEST_F(InterfacesTest, SoundOutputPlaysAndStops)
{
    TOndrix& o = *ondrix;
    Click(o.CheckBox1);
    EXPECT_EQ(o.SelectedInterface, 1);
    EXPECT_FALSE(o.AudioPlaying);
    EXPECT_EQ(log->Plays, 0);

    Click(o.CheckBox5);
    EXPECT_TRUE(o.AudioPlaying);
    EXPECT_EQ(log->Plays, 1);

    // Another connector leaves the sound playing.
    Click(o.CheckBox2);
    EXPECT_TRUE(o.AudioPlaying);

    Click(o.CheckBox1); // Active still checked: plays again
    EXPECT_EQ(log->Plays, 2);
    const int stops = log->Stops;
    Click(o.CheckBox5);
    EXPECT_FALSE(o.AudioPlaying);
    EXPECT_GT(log->Stops, stops);
}

TEST_F(InterfacesTest, ParallelPortTogglesByMask)
{
    TOndrix& o = *ondrix;
    for (int i = 0; i < 3; ++i)
        o.Timer3Timer();
    EXPECT_EQ(log->Writes, (std::vector<Write>{{888, 255}, {888, 0}, {888, 255}}));

    log->Writes.clear();
    o.IoMask = 15;
    o.IoAddress = 0x3BC;
    for (int i = 0; i < 3; ++i)
        o.Timer3Timer();
    EXPECT_EQ(log->Writes, (std::vector<Write>{{0x3BC, 240}, {0x3BC, 255}, {0x3BC, 240}}));

    log->Writes.clear();
    o.IoMask = 0;
    o.Timer3Timer();
    o.Timer3Timer();
    EXPECT_EQ(log->Writes, (std::vector<Write>{{0x3BC, 240}, {0x3BC, 240}}));

    // Outside 1..65535 nothing is written and the state stays.
    log->Writes.clear();
    o.IoMask = 255;
    for (std::int32_t address : {0, -1, 65536}) {
        o.IoAddress = address;
        o.Timer3Timer();
    }
    EXPECT_TRUE(log->Writes.empty());
    EXPECT_EQ(o.IoState, 240);
    o.IoAddress = 65535;
    o.Timer3Timer();
    EXPECT_EQ(log->Writes, (std::vector<Write>{{65535, 15}}));
}

TEST_F(InterfacesTest, SerialLinesToggleIndependently)
{
    TOndrix& o = *ondrix;
    for (int i = 0; i < 4; ++i)
        o.Timer1Timer();
    EXPECT_EQ(log->Lines,
              (std::vector<Line>{
                  {"COM1", 'D', true}, {"COM1", 'D', false}, {"COM1", 'D', true}, {"COM1", 'D', false}}));
    log->Lines.clear();
    o.Timer2Timer();
    o.Timer1Timer();
    o.Timer2Timer();
    EXPECT_EQ(log->Lines,
              (std::vector<Line>{{"COM1", 'R', true}, {"COM1", 'D', true}, {"COM1", 'R', false}}));
}

TEST_F(InterfacesTest, TicksWithoutAPortReportTheSystemError)
{
    TOndrix& o = *ondrix;
    o.ComHandle.reset();
    const std::string badHandle = "System Error.  Code: 9.\r\nBad file descriptor";
    EXPECT_EQ(ErrorOf([&] { o.Timer1Timer(); }), badHandle);
    EXPECT_EQ(ErrorOf([&] { o.Timer2Timer(); }), badHandle);
    // The level toggled all the same, so a new port continues from it.
    EXPECT_TRUE(o.DtrState);
    EXPECT_TRUE(o.RtsState);
}

TEST_F(InterfacesTest, UnusableIoPortReportsOnEveryTick)
{
    ioPortUsable = false; // the real driver on a device that does not exist
    TOndrix& o = Start();
    EXPECT_EQ(Shown(), ""); // not reported at start
    EXPECT_EQ(ErrorOf([&] { o.Timer3Timer(); }), "inpout dll failed to load");
    EXPECT_EQ(ErrorOf([&] { o.Timer3Timer(); }), "inpout dll failed to load");
}

TEST_F(InterfacesTest, RunningTimerErrorsShowInTheDisplayUntilClicked)
{
    TOndrix& o = *ondrix;
    o.ComHandle.reset();
    o.Timer2->SetInterval(1);
    o.Timer2->SetEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Shown().empty(); }, 5000));
    EXPECT_EQ(Shown(), "System Error.  Code: 9.\r\nBad file descriptor");
    EXPECT_TRUE(o.Label1->isHidden());
    o.Timer2->SetEnabled(false);

    QTest::mouseClick(o.Panel1, Qt::LeftButton, {}, QPoint(150, 60));
    EXPECT_EQ(Shown(), "");
    EXPECT_FALSE(o.Label1->isHidden());
}

TEST_F(InterfacesTest, ComPortButton)
{
    TOndrix& o = *ondrix;
    dialogs->Answer("COM2");
    Click(o.SpeedButton1);
    ASSERT_EQ(dialogs->Asked().size(), 1u);
    EXPECT_EQ(dialogs->Asked()[0].Caption, "Change COM Port");
    EXPECT_EQ(dialogs->Asked()[0].Prompt, "Enter COM Port");
    EXPECT_EQ(dialogs->Asked()[0].PreFilled, "COM1");
    EXPECT_EQ(o.ComPortName, "COM2");
    EXPECT_EQ(o.InterfaceName(3), "DTR(COM2)");
    EXPECT_EQ(o.InterfaceName(4), "RTS(COM2)");
    EXPECT_EQ(o.InterfaceName(2), "I/O(0378)");
    EXPECT_EQ(log->Closed, std::vector<std::string>{"COM1"});
    EXPECT_EQ(log->Opened, (std::vector<std::string>{"COM1", "COM2"}));

    // A running toggle goes on with the new port.
    o.Timer1Timer();
    EXPECT_EQ(log->Lines.back(), (Line{"COM2", 'D', true}));

    dialogs->Cancel();
    Click(o.SpeedButton1);
    EXPECT_EQ(o.ComPortName, "COM2");
    EXPECT_EQ(log->Opened.size(), 2u);
    EXPECT_EQ(dialogs->Asked().back().PreFilled, "COM2");
}

TEST_F(InterfacesTest, ComPortButtonFailureKeepsTheNewName)
{
    TOndrix& o = *ondrix;
    dialogs->Answer("missing7");
    Click(o.SpeedButton1);
    EXPECT_EQ(Shown(), "System Error.  Code: 2.\r\nNo such file or directory");
    EXPECT_EQ(o.ComPortName, "missing7");
    EXPECT_EQ(o.InterfaceName(3), "DTR(missing7)");
    EXPECT_FALSE(o.ComHandle);
    EXPECT_EQ(log->Closed, std::vector<std::string>{"COM1"});
}

TEST_F(InterfacesTest, IoAddressButton)
{
    TOndrix& o = *ondrix;
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
        o.SpeedButton3Click();
        EXPECT_EQ(o.IoAddress, c.ioAddress);
        EXPECT_EQ(o.IoMask, c.ioMask);
        EXPECT_EQ(o.InterfaceName(2), c.name);
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
    TOndrix& o = *ondrix;
    o.IoState = 0x55;
    dialogs->Cancel();
    o.SpeedButton3Click();
    dialogs->Answer("$3BC");
    dialogs->Cancel();
    o.SpeedButton3Click();
    EXPECT_EQ(o.IoAddress, 888);
    EXPECT_EQ(o.IoMask, 255);

    dialogs->Answer("lpt1");
    dialogs->Answer("15");
    EXPECT_EQ(ErrorOf([&] { o.SpeedButton3Click(); }), "'lpt1' is not a valid integer value");
    EXPECT_EQ(o.IoAddress, 888);
    EXPECT_EQ(o.InterfaceName(2), "I/O(0378)");

    // A bad mask comes after the address was taken.
    dialogs->Answer("$3BC");
    dialogs->Answer("all");
    EXPECT_EQ(ErrorOf([&] { o.SpeedButton3Click(); }), "'all' is not a valid integer value");
    EXPECT_EQ(o.IoAddress, 956);
    EXPECT_EQ(o.InterfaceName(2), "I/O(03BC)");
    EXPECT_EQ(o.IoMask, 255);
    EXPECT_EQ(o.IoState, 0x55); // never reset by a change
    EXPECT_TRUE(dialogs->ScriptUsedUp());
}

} // namespace
} // namespace ondrix::app::testing
