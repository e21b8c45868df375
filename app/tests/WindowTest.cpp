// The main window: its controls at their places, the display, the menus, the
// keys and the close request, on an instrument with fakes and a manual clock.
#include "InstrumentFixture.h"
#include "app/panel/Display.h"
#include "app/panel/HelpWindows.h"
#include "app/panel/TOndrix.h"
#include "app/panel/TerminalLauncher.h"
#include "graph/EasyGraph.h"

#include <QApplication>
#include <QCheckBox>
#include <algorithm>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QTest>

namespace ondrix::app::testing {
namespace {

class WindowTest : public InstrumentTest
{
  protected:
    std::unique_ptr<TOndrix> window;
    int powerOffs = 0;

    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override
    {
        startup.reset();
        window.reset();
        QLocale::setDefault(QLocale::system());
    }

    TOndrix& Open(std::vector<std::string> switches = {})
    {
        switches.insert(switches.begin(), "ondrix");
        instrument = std::make_unique<TInstrument>(Services());
        window = std::make_unique<TOndrix>(*instrument);
        window->OnPowerOff = [this] { ++powerOffs; };
        startup = std::make_unique<TStartup>(*instrument, std::move(switches), window->Hooks());
        startup->FormCreate();
        return *window;
    }

    template <typename Widget = QWidget> Widget* Control(const char* name) const
    {
        auto* control = window->findChild<Widget*>(name);
        EXPECT_TRUE(control) << name;
        return control;
    }

    void Type(const QString& text)
    {
        for (QChar c : text)
            QTest::keyClick(window.get(), c.toLatin1());
    }

    static QStringList Entries(const QMenu& menu)
    {
        QStringList entries;
        for (const QAction* action : menu.actions())
            entries << action->text();
        return entries;
    }
};

TEST_F(WindowTest, EveryControlAtItsPlace)
{
    TOndrix& w = Open();
    EXPECT_EQ(w.windowTitle(), "Ondrix");
    EXPECT_EQ(w.size(), QSize(701, 260));
    const std::pair<const char*, QRect> places[] = {
        {"power", {280, 72, 25, 25}},      {"record", {312, 72, 25, 25}},     {"sweep", {344, 72, 17, 25}},
        {"digit10000", {368, 72, 25, 25}}, {"digit1", {496, 72, 25, 25}},     {"square", {536, 72, 25, 25}},
        {"waveforms", {568, 72, 25, 25}},  {"sine", {600, 72, 25, 25}},       {"knob", {136, 184, 17, 49}},
        {"edit", {152, 192, 25, 33}},      {"amplitude", {376, 128, 33, 33}}, {"ioAddress", {424, 128, 65, 33}},
        {"comPort", {496, 120, 129, 41}},  {"active", {280, 144, 73, 17}},    {"connector1", {384, 208, 33, 17}},
        {"connector2", {448, 208, 33, 17}}, {"connector3", {520, 208, 33, 17}}, {"connector4", {584, 208, 33, 17}},
        {"display", {64, 72, 209, 73}},
    };
    for (const auto& [name, geometry] : places) {
        if (QWidget* control = Control(name)) {
            EXPECT_EQ(control->geometry(), geometry) << name;
        }
    }
    EXPECT_EQ(Control<QCheckBox>("active")->text(), "&Active");
    EXPECT_EQ(Control("active")->toolTip(), "Turn on or off selected Interface");
    EXPECT_EQ(Control("knob")->toolTip(), "Frequency");
    EXPECT_EQ(Control<QCheckBox>("connector3")->property("tag").toInt(), 3);
    EXPECT_EQ(w.Display().MiniGraph().geometry(), QRect(136, 8, 65, 57));
    EXPECT_FALSE(w.Display().MiniGraph().isEnabled()); // no mouse input
    EXPECT_EQ(w.Display().MiniGraph().Series().Count(), 4);
}

TEST_F(WindowTest, DisplayShowsTheProductUntilAnInterfaceIsSelected)
{
    TOndrix& w = Open();
    clock.Advance(2000);
    EXPECT_EQ(w.Display().Status(), "Brevant Ondrix");
    QTest::mouseClick(Control("sine"), Qt::LeftButton);
    clock.Advance(512);
    EXPECT_EQ(w.Display().Status(), instrument->StatusText());
    EXPECT_TRUE(w.Display().Status().startsWith("Interface: Audio\r\nAmplitude: 100%\r\nFrequency: 440Hz"));
    EXPECT_EQ(w.Display().MiniGraph().Series().Items(0).Expression(), "timer(0)*(sin(x)*(b*0.75))");
    const graph::TEGRange range = w.Display().MiniGraph().VisibleRange();
    EXPECT_EQ(range.XMin, 0);
    EXPECT_EQ(range.XMax, 5);
}

TEST_F(WindowTest, ErrorsReplaceTheStatusUntilTheDisplayIsClicked)
{
    TOndrix& w = Open({"/com=COM1"});
    instrument->ChooseWaveform(tonegen::tgSine);
    clock.Advance(512);
    ReportError(std::make_exception_ptr(std::runtime_error("port gone")));
    EXPECT_TRUE(w.Display().ShowingError());
    EXPECT_EQ(w.Display().ErrorText(), "port gone");

    // Copy to Clipboard takes the status text, not the error.
    w.Action(TCommand::CopyToClipboard)->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), instrument->StatusText());
    EXPECT_TRUE(QGuiApplication::clipboard()->text().endsWith("Voltage: NAN(def)"));

    QTest::mouseClick(&w.Display(), Qt::LeftButton, {}, QPoint(150, 40));
    EXPECT_FALSE(w.Display().ShowingError());
    EXPECT_TRUE(w.DisplayMenu().isVisible());
    w.DisplayMenu().hide();
}

TEST_F(WindowTest, DisplayMenuInOrderWithEntriesAsTheyAreBuilt)
{
    TOndrix& w = Open();
    EXPECT_EQ(Entries(w.DisplayMenu()),
              (QStringList{"Help", "Calibrate Voltage", "Voltmeter Type", "Enter Amplitude", "Set Audio Voltage",
                           "Save To Batch File", "Copy to Clipboard", "Duration", "Continuous"}));
    QMenu* help = w.DisplayMenu().actions()[0]->menu();
    EXPECT_EQ(Entries(*help), QStringList{"Command-line Syntax"});
    EXPECT_EQ(Entries(*w.DisplayMenu().actions()[2]->menu()), (QStringList{"RMS", "Peak", "Peak To Peak"}));

    int manuals = 0;
    w.Bind(TCommand::Manual, [&] { ++manuals; });
    help = w.DisplayMenu().actions()[0]->menu();
    EXPECT_EQ(Entries(*help), (QStringList{"Manual", "Command-line Syntax"}));
    help->actions()[0]->trigger();
    EXPECT_EQ(manuals, 1);
    EXPECT_EQ(Entries(w.WaveformMenu()), (QStringList{"Sawtooth", "Triangle", "Noise"}));
}

TEST_F(WindowTest, HelpEntriesShowTheAuxiliaryWindowsWithoutBlocking)
{
    TOndrix& w = Open();
    const auto help = AttachHelpWindows(w);
    QMenu* menu = w.DisplayMenu().actions()[0]->menu();
    EXPECT_EQ(Entries(*menu),
              (QStringList{"Manual", "About Ondrix", "Voltage Amplifier", "Pinouts", "Command-line Syntax"}));
    const std::pair<int, const char*> windows[] = {
        {0, "Brevant Help"}, {1, "About"}, {2, "Common Emitter Amplifier"}, {3, "Pinouts"}};
    for (const auto& [entry, title] : windows) {
        menu->actions()[entry]->trigger();
        const QWidgetList tops = QApplication::topLevelWidgets();
        const auto shown = std::find_if(tops.begin(), tops.end(), [&](QWidget* top) {
            return top->isVisible() && top->windowTitle() == title;
        });
        EXPECT_NE(shown, tops.end()) << title;
        if (shown != tops.end()) {
            EXPECT_FALSE((*shown)->isModal()) << title;
            (*shown)->close();
        }
    }
    EXPECT_EQ(powerOffs, 0); // closing them leaves the program running
}

TEST_F(WindowTest, VoltmeterEntriesAreChecksOfTheInstrumentsType)
{
    TOndrix& w = Open({"/pp"});
    EXPECT_TRUE(w.Action(TCommand::PeakToPeak)->isChecked());
    EXPECT_FALSE(w.Action(TCommand::Rms)->isChecked());
    w.Action(TCommand::Peak)->trigger();
    w.Action(TCommand::Peak)->trigger(); // a checked entry stays checked
    EXPECT_EQ(instrument->VoltmeterType(), TVoltmeterType::Peak);
    EXPECT_TRUE(w.Action(TCommand::Peak)->isChecked());
    EXPECT_FALSE(w.Action(TCommand::PeakToPeak)->isChecked());
}

TEST_F(WindowTest, ContinuousEntryIsACheckOfTheMode)
{
    TOndrix& w = Open({"/loop"});
    QAction* continuous = w.Action(TCommand::Continuous);
    EXPECT_TRUE(continuous->isCheckable());
    EXPECT_TRUE(continuous->isChecked());
    continuous->trigger();
    EXPECT_FALSE(instrument->Continuous());
    EXPECT_FALSE(continuous->isChecked());
    continuous->trigger();
    EXPECT_TRUE(instrument->Continuous());
}

TEST_F(WindowTest, KeysAreTakenInUpperCaseAndEveryKeyIsConsumed)
{
    Open();
    Type("s");
    EXPECT_EQ(instrument->ToneGen1.Waveform(), tonegen::tgSquare);
    EXPECT_TRUE(instrument->AudioPlaying());
    Type("$");
    EXPECT_EQ(instrument->ToneGen1.Frequency(), 1000);
    Type("!");
    EXPECT_EQ(instrument->ToneGen1.Frequency(), 20);
    Type("\\");
    EXPECT_EQ(instrument->ToneGen1.Waveform(), tonegen::tgTriangle);
    Type("~");
    EXPECT_EQ(instrument->ToneGen1.Waveform(), tonegen::tgSine);
    const std::size_t plays = sound->plays.size();
    Type("%x");
    EXPECT_EQ(sound->plays.size(), plays);
    EXPECT_TRUE(dialogs->Asked().empty());

    dialogs->AnswerSave(std::nullopt);
    Type("b");
    ASSERT_EQ(dialogs->Asked().size(), 1u);
    EXPECT_EQ(dialogs->Asked()[0].Caption, "Save Batch File");
}

TEST_F(WindowTest, ConnectorBoxesFollowTheInstrument)
{
    Open();
    auto* second = Control<QCheckBox>("connector2");
    auto* third = Control<QCheckBox>("connector3");
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_TRUE(second->isChecked());
    EXPECT_EQ(instrument->SelectedInterface(), Io);
    QTest::mouseClick(third, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_FALSE(second->isChecked());
    EXPECT_TRUE(third->isChecked());
    QTest::mouseClick(Control("active"), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_TRUE(instrument->ToggleTimer(Dtr)->Enabled());
    // The sine button checks the Active box but no connector.
    QTest::mouseClick(Control("sine"), Qt::LeftButton);
    EXPECT_TRUE(Control<QCheckBox>("active")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>("connector1")->isChecked());
}

TEST_F(WindowTest, PowerAndCloseRequestsEndTheProgramOnce)
{
    TOndrix& w = Open();
    QTest::mouseClick(Control("power"), Qt::LeftButton);
    EXPECT_EQ(powerOffs, 1);
    w.close();
    EXPECT_EQ(powerOffs, 1);
}

TEST_F(WindowTest, TheSoundTraceIsFlatWhileTheToneIsOff)
{
    TOndrix& w = Open();
    TMDParser& parser = w.Display().MiniGraph().Parser();
    ASSERT_TRUE(parser.CompileExpression("timer(0)"));
    EXPECT_EQ(parser.Value(), 0);
    instrument->ChooseWaveform(tonegen::tgSine);
    EXPECT_EQ(parser.Value(), 1);
    ASSERT_TRUE(parser.CompileExpression("odd(3.4)+odd(2.5)"));
    EXPECT_EQ(parser.Value(), 1);
}

} // namespace
} // namespace ondrix::app::testing

namespace ondrix::app::testing {
namespace {

QString OnlyOnPath(const QString& name)
{
    static const QStringList installed{"gnome-terminal", "xterm"};
    return installed.contains(name) ? "/usr/bin/" + name : QString();
}

QString NothingOnPath(const QString&)
{
    return {};
}

TEST(TerminalLauncher, TheUsersTerminalFirstThenACommonOneWithItsOwnCommandOption)
{
    const auto chosen = TerminalCommandFor("/opt/ondrix", {"/?"}, "", &OnlyOnPath);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->Program, "/usr/bin/gnome-terminal");
    EXPECT_EQ(chosen->Arguments, (QStringList{"--", "/opt/ondrix", "/?"}));

    const auto users = TerminalCommandFor("/opt/ondrix", {"/?"}, "xterm", &OnlyOnPath);
    ASSERT_TRUE(users);
    EXPECT_EQ(users->Program, "/usr/bin/xterm");
    EXPECT_EQ(users->Arguments, (QStringList{"-e", "/opt/ondrix", "/?"}));

    // None at all: the caller reports it in the display.
    EXPECT_FALSE(TerminalCommandFor("/opt/ondrix", {"/?"}, "", &NothingOnPath));
}

} // namespace
} // namespace ondrix::app::testing
