// ondrix-graph in a window on a real X server (Xvfb), driven by xdotool as a
// user would: right click, left drag, Shift with the left button.
#include "testsupport/XSession.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <array>
#include <gtest/gtest.h>
#include <optional>

namespace {

class DemoOnXServer : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        if (!x.Start()) GTEST_SKIP() << x.WhyUnavailable().toStdString();
        ASSERT_TRUE(home.isValid());
        environment = x.Environment(home.path());
    }

    void TearDown() override { ondrix::testsupport::StopProcess(demo); }

    QString Xdotool(const QStringList& arguments) { return x.Xdotool(arguments); }

    // The next "range ..." line the demo prints, as (xmin, xmax, ymin, ymax).
    std::optional<std::array<double, 4>> NextRange()
    {
        static const QRegularExpression pattern(R"(^range x (\S+) \.\. (\S+), y (\S+) \.\. (\S+)$)");
        for (int i = 0; i < 100; ++i) {
            if (!demo.canReadLine()) demo.waitForReadyRead(100);
            while (demo.canReadLine()) {
                const QString line = QString::fromUtf8(demo.readLine()).trimmed();
                const QRegularExpressionMatch match = pattern.match(line);
                if (match.hasMatch())
                    return std::array<double, 4>{match.captured(1).toDouble(), match.captured(2).toDouble(),
                                                 match.captured(3).toDouble(), match.captured(4).toDouble()};
            }
        }
        return std::nullopt;
    }

    int VisibleWindows()
    {
        return Xdotool({"search", "--onlyvisible", "--class", "ondrix-graph"}).split('\n').size();
    }

    bool WaitForVisibleWindows(int count)
    {
        for (int i = 0; i < 100; ++i) {
            if (VisibleWindows() == count) return true;
            QThread::msleep(50);
        }
        return false;
    }

    ondrix::testsupport::XSession x;
    QTemporaryDir home;
    QProcessEnvironment environment;
    QProcess demo;
};

} // namespace

TEST_F(DemoOnXServer, MouseZoomsPansAndShowsTheHint)
{
    demo.setProcessEnvironment(environment);
    demo.setProcessChannelMode(QProcess::SeparateChannels);
    demo.start(ONDRIX_GRAPH_BIN, {"--size", "400x300", "--zoom-time", "0", "--print-range", "sin(x)*5"});
    ASSERT_TRUE(demo.waitForStarted(5000));
    auto initial = NextRange();
    ASSERT_TRUE(initial) << demo.readAllStandardError().toStdString();
    EXPECT_EQ(*initial, (std::array<double, 4>{-10, 10, -10, 10}));

    const QString window =
        Xdotool({"search", "--sync", "--onlyvisible", "--name", "ondrix-graph"}).section('\n', 0, 0);
    ASSERT_FALSE(window.isEmpty());
    Xdotool({"windowfocus", "--sync", window});
    QThread::msleep(200); // let the first paint happen

    // A right click in the middle zooms out about the centre.
    Xdotool({"mousemove", "--window", window, "230", "140", "click", "3"});
    auto zoomedOut = NextRange();
    ASSERT_TRUE(zoomedOut);
    EXPECT_EQ(*zoomedOut, (std::array<double, 4>{-20, 20, -20, 20}));

    // A left click zooms back in.
    Xdotool({"mousemove", "--window", window, "100", "100", "click", "1"});
    auto zoomedIn = NextRange();
    ASSERT_TRUE(zoomedIn);
    EXPECT_EQ(*zoomedIn, (std::array<double, 4>{-10, 10, -10, 10}));

    // A right drag pans: the range moves, its spans stay.
    Xdotool({"mousemove", "--window", window, "200", "150", "mousedown", "3"});
    for (int step = 1; step <= 5; ++step)
        Xdotool({"mousemove", "--window", window, QString::number(200 + 8 * step), "150"});
    Xdotool({"mouseup", "3"});
    auto panned = NextRange();
    ASSERT_TRUE(panned);
    EXPECT_LT((*panned)[0], -10);
    EXPECT_NEAR((*panned)[1] - (*panned)[0], 20, 1e-6);
    EXPECT_NEAR((*panned)[3] - (*panned)[2], 20, 1e-6);

    // Shift with the left button shows the hint window until the button is released.
    ASSERT_EQ(VisibleWindows(), 1);
    Xdotool({"mousemove", "--window", window, "220", "140", "keydown", "shift", "mousedown", "1"});
    EXPECT_TRUE(WaitForVisibleWindows(2));
    Xdotool({"mouseup", "1", "keyup", "shift"});
    EXPECT_TRUE(WaitForVisibleWindows(1));
}
