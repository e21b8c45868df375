// The auxiliary windows of ondrix-windows on a real X server (Xvfb), driven
// through the Help menu with xdotool as a user would: every window opened,
// help pages switched and exported through the save dialog, a pinout shown,
// and each window closed by a window manager's close request while the
// program runs on.
#include "testsupport/XSession.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

namespace {

using ondrix::testsupport::XSession;

// What a window manager sends when the user closes a window (xdotool cannot).
bool SendCloseRequest(const QString& display, const QString& window)
{
    xcb_connection_t* connection = xcb_connect(display.toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    const auto atom = [connection](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return value;
    };
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window.toUInt();
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, event.window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
    // A round trip, so the server has handled the message before the connection closes.
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    xcb_disconnect(connection);
    return true;
}

class WindowsOnXServer : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        import = QStandardPaths::findExecutable("import");
        xprop = QStandardPaths::findExecutable("xprop");
        if (!XSession::Installed() || import.isEmpty() || xprop.isEmpty())
            GTEST_SKIP()
                << "Xvfb, xdotool, xprop or import (imagemagick) is missing; the X server test is skipped";
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(x.Start()) << x.WhyUnavailable().toStdString();
        environment = x.Environment(home.path());
    }

    void TearDown() override { ondrix::testsupport::StopProcess(demo); }

    QString Run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        process.waitForFinished(10000);
        return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    }
    QString Xdotool(const QStringList& arguments) { return x.Xdotool(arguments); }

    // The visible window with this exact title, waiting up to five seconds.
    QString VisibleWindow(const QString& title) { return x.WaitForWindow("^" + title + "$", 5000); }

    bool WaitUntilHidden(const QString& title)
    {
        for (int i = 0; i < 20; ++i) {
            if (Xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}).isEmpty()) return true;
            QThread::msleep(50);
        }
        return false;
    }

    // Help ▸ the entry at this position, from the main window.
    void HelpMenuEntry(int position)
    {
        Xdotool({"windowfocus", "--sync", mainWindow});
        Xdotool({"key", "--delay", "60", "alt+h"});
        QThread::msleep(200);
        for (int i = 0; i < position; ++i)
            Xdotool({"key", "Down"});
        Xdotool({"key", "Return"});
    }

    void Click(const QString& window, int x, int y, int repeat = 1)
    {
        Xdotool({"mousemove", "--sync", "--window", window, QString::number(x), QString::number(y), "click",
                 "--repeat", QString::number(repeat), "--delay", "80", "1"});
        QThread::msleep(150);
    }

    // How many colours the window shows right of x: a picture has many, an empty area one or two.
    int ColoursRightOf(const QString& window, int x)
    {
        QProcess grab;
        grab.setProcessEnvironment(environment);
        grab.start(import, {"-window", window, "png:-"});
        grab.waitForFinished(10000);
        const QImage shot = QImage::fromData(grab.readAllStandardOutput(), "PNG");
        QSet<QRgb> colours;
        for (int py = 0; py < shot.height(); py += 2)
            for (int px = x; px < shot.width(); px += 2)
                colours.insert(shot.pixel(px, py));
        return colours.size();
    }

    void CloseAndExpectHidden(const QString& window, const QString& title)
    {
        ASSERT_TRUE(SendCloseRequest(x.Display(), window));
        EXPECT_TRUE(WaitUntilHidden(title)) << title.toStdString();
        EXPECT_EQ(demo.state(), QProcess::Running)
            << "closing " << title.toStdString() << " ended the program";
        EXPECT_FALSE(VisibleWindow("Ondrix windows").isEmpty());
    }

    QString import;
    QString xprop;
    QTemporaryDir home;
    XSession x;
    QProcessEnvironment environment;
    QProcess demo;
    QString mainWindow;
};

} // namespace

TEST_F(WindowsOnXServer, EveryWindowOpensFromTheHelpMenuWorksAndClosesToHidden)
{
    demo.setProcessEnvironment(environment);
    demo.start(ONDRIX_WINDOWS_BIN, {});
    ASSERT_TRUE(demo.waitForStarted(5000));
    mainWindow = VisibleWindow("Ondrix windows");
    ASSERT_FALSE(mainWindow.isEmpty()) << demo.readAllStandardError().toStdString();
    QThread::msleep(300);

    // Manual: a click on the first entry, Down twice to "Keyboard Shortcuts",
    // a double click below the entries opens the selected one.
    HelpMenuEntry(0);
    const QString help = VisibleWindow("Brevant Help");
    ASSERT_FALSE(help.isEmpty());
    Xdotool({"windowfocus", "--sync", help});
    Click(help, 40, 52);
    Xdotool({"key", "--delay", "60", "Down", "Down"});
    Click(help, 40, 300, 2);

    // File ▸ Export through the save dialog; the name gets its ".rtf".
    const QString exported = home.filePath("keys");
    Click(help, 15, 8);
    Xdotool({"key", "--delay", "60", "Down", "Return"});
    const QString dialog = VisibleWindow("Export");
    ASSERT_FALSE(dialog.isEmpty());
    Xdotool({"windowfocus", "--sync", dialog});
    QThread::msleep(200);
    Xdotool({"type", "--delay", "20", exported});
    Xdotool({"key", "Return"});
    for (int i = 0; i < 100 && !QFile::exists(exported + ".rtf"); ++i)
        QThread::msleep(50);
    QFile file(exported + ".rtf");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "nothing exported";
    const QByteArray rtf = file.readAll();
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252"));
    EXPECT_TRUE(rtf.contains("Keyboard Shortcuts")) << rtf.left(300).toStdString();
    EXPECT_TRUE(rtf.contains("Shift+1 to Shift+4"));
    CloseAndExpectHidden(help, "Brevant Help");

    HelpMenuEntry(1);
    const QString about = VisibleWindow("About");
    ASSERT_FALSE(about.isEmpty());
    EXPECT_TRUE(Xdotool({"getwindowgeometry", about}).contains("525x405"));
    CloseAndExpectHidden(about, "About");

    HelpMenuEntry(2);
    const QString amplifier = VisibleWindow("Common Emitter Amplifier");
    ASSERT_FALSE(amplifier.isEmpty());
    QThread::msleep(200);
    EXPECT_TRUE(Run(xprop, {"-id", amplifier, "_NET_WM_STATE"}).contains("_NET_WM_STATE_MAXIMIZED_HORZ"))
        << "opens maximised";
    CloseAndExpectHidden(amplifier, "Common Emitter Amplifier");

    // Pinouts: the image area is empty until an entry is opened.
    HelpMenuEntry(3);
    const QString pinouts = VisibleWindow("Pinouts");
    ASSERT_FALSE(pinouts.isEmpty());
    Xdotool({"windowfocus", "--sync", pinouts});
    QThread::msleep(200);
    EXPECT_LE(ColoursRightOf(pinouts, 130), 2);
    Click(pinouts, 30, 8);
    Xdotool({"key", "End"});
    Click(pinouts, 30, 300, 2);
    EXPECT_GT(ColoursRightOf(pinouts, 130), 8) << "the serial port picture is not shown";
    CloseAndExpectHidden(pinouts, "Pinouts");

    // Reopened, the manual still shows its page; the main window's close ends the program.
    HelpMenuEntry(0);
    EXPECT_FALSE(VisibleWindow("Brevant Help").isEmpty());
    ASSERT_TRUE(SendCloseRequest(x.Display(), mainWindow));
    EXPECT_TRUE(demo.waitForFinished(5000));
    EXPECT_EQ(demo.exitCode(), 0);
    EXPECT_FALSE(demo.readAllStandardOutput().contains("error")) << "no window reported an error";
}
