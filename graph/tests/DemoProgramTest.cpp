// ondrix-graph from the outside: PNG renders without a display, options and
// their errors.
#include "GraphTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace ondrix::graph;
using namespace ondrix::graph::test;

namespace {

struct RunResult
{
    int ExitCode = -1;
    QString Output;
};

// Runs the demo with no display and no platform chosen, as on a server.
RunResult RunDemo(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(ONDRIX_GRAPH_BIN, arguments);
    if (!process.waitForFinished(60000)) return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAll())};
}

} // namespace

TEST(DemoProgram, RendersSeriesInTheirColourOrderIntoAPng)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("plot.png");
    const RunResult run = RunDemo({"--png", file, "--size", "103x103", "--no-numbers", "--grid", "none",
                                   "--range", "-10,-10,10,10", "5", "-5", "2.5", "-2.5", "7.5"});
    ASSERT_EQ(run.ExitCode, 0) << run.Output.toStdString();
    const QImage image(file);
    ASSERT_EQ(image.size(), QSize(103, 103));
    // Rows 101 - Round((y + 10) * 5): red, blue, yellow, purple, then green.
    EXPECT_EQ(ColumnsWith(image, 26, clRed), Span(1, 101));
    EXPECT_EQ(ColumnsWith(image, 76, clBlue), Span(1, 101));
    EXPECT_EQ(ColumnsWith(image, 39, clYellow), Span(1, 101)); // 101 - Round(62.5), halves to even
    EXPECT_EQ(ColumnsWith(image, 63, clPurple), Span(1, 101)); // 101 - Round(37.5)
    EXPECT_EQ(ColumnsWith(image, 13, clGreen), Span(1, 101));
}

TEST(DemoProgram, RangesAcceptFormulasAndTheQuadrantClips)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("plot.png");
    const RunResult run = RunDemo({"--png", file, "--size", "103x103", "--no-numbers", "--xrange",
                                   "-(5+5),max(3,10)", "--yrange", "-10,10", "--quadrant", "first", "5"});
    ASSERT_EQ(run.ExitCode, 0) << run.Output.toStdString();
    EXPECT_EQ(ColumnsWith(QImage(file), 26, clRed), Span(51, 101));
}

TEST(DemoProgram, MaintainedRatioFollowsTheRequestedSize)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("plot.png");
    // A 100 x 100 plot over 20 x 10 units already has the proportions of aspect 2, so the
    // range stays; a first render at any other size would have widened it for good.
    const RunResult run = RunDemo({"--png", file, "--size", "103x103", "--no-numbers", "--grid", "none",
                                   "--range", "-10,-5,10,5", "--maintain-ratio", "--aspect", "2", "2.5"});
    ASSERT_EQ(run.ExitCode, 0) << run.Output.toStdString();
    EXPECT_EQ(ColumnsWith(QImage(file), 26, clRed), Span(1, 101)); // 101 - Round(7.5 * 10)
}

TEST(DemoProgram, ReportsBadUsage)
{
    RunResult run = RunDemo({"--help"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.Output.contains("Usage: ondrix-graph")) << run.Output.toStdString();

    for (const QStringList& arguments :
         {QStringList{"--size", "0x10", "--png", "x.png", "x"}, QStringList{"--bogus"},
          QStringList{"--range", "1,2,3"}, QStringList{"--xrange", "1,1"}, QStringList{"--grid", "dotted"},
          QStringList{"--png"}, QStringList{"--png", "", "x"}}) {
        run = RunDemo(arguments);
        EXPECT_EQ(run.ExitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.Output.startsWith("ondrix-graph: ")) << run.Output.toStdString();
    }

    run = RunDemo({"--png", "", "x"});
    EXPECT_TRUE(run.Output.contains("the file name is empty")) << run.Output.toStdString();

    run = RunDemo({"sin(x)"}); // a window, but no display
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Output.contains("--png")) << run.Output.toStdString();
}

TEST(DemoProgram, FormulaThatDoesNotCompileIsReportedAndLeftOut)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("plot.png");
    const RunResult run =
        RunDemo({"--png", file, "--size", "103x103", "--no-numbers", "--grid", "none", "sin(", "5"});
    ASSERT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.Output.contains("ondrix-graph: \"sin(\" is not drawn: ")) << run.Output.toStdString();
    const QImage image(file);
    EXPECT_EQ(CountColor(image, clRed), 0);
    EXPECT_EQ(ColumnsWith(image, 26, clBlue),
              Span(1, 101)); // the second colour stays with the second formula
}

TEST(DemoProgram, UnwritablePngFails)
{
    const RunResult run = RunDemo({"--png", "/nonexistent-dir/plot.png", "x"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_TRUE(run.Output.contains("cannot write")) << run.Output.toStdString();
}

TEST(DemoProgram, NoDrawableFormulaFailsAndWritesNothing)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("plot.png");
    const RunResult run = RunDemo({"--png", file, "sin(", "cos("});
    EXPECT_EQ(run.ExitCode, 1) << run.Output.toStdString();
    EXPECT_TRUE(run.Output.contains("\"cos(\" is not drawn")) << run.Output.toStdString();
    EXPECT_FALSE(QFile::exists(file));
}

TEST(DemoProgram, RangesWiderThanTheLargestSpanStillDraw)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("plot.png");
    // Narrowed to 10000 wide about 0: the line y = 2500 lies a quarter from the top.
    const RunResult run = RunDemo({"--png", file, "--size", "103x103", "--no-numbers", "--grid", "none",
                                   "--xrange", "-1e25,1e25", "--yrange", "-1e25,1e25", "2500"});
    ASSERT_EQ(run.ExitCode, 0) << run.Output.toStdString();
    EXPECT_EQ(ColumnsWith(QImage(file), 26, clRed), Span(1, 101));

    const RunResult far = RunDemo({"--png", file, "--size", "103x103", "--no-numbers", "--grid", "none",
                                   "--xrange", "0,1e30", "--yrange", "-10,10", "5"});
    ASSERT_EQ(far.ExitCode, 0) << far.Output.toStdString();
    EXPECT_EQ(ColumnsWith(QImage(file), 26, clRed), Span(1, 101));
}

TEST(DemoProgram, FailedPngWriteKeepsTheOldPicture)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("plot.png");
    ASSERT_EQ(RunDemo({"--png", file, "--size", "50x50", "x"}).ExitCode, 0);
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    const QByteArray before = old.readAll();
    old.close();

    // The folder is made read-only: the new picture cannot be put beside the old one.
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    const bool root = ::geteuid() == 0;
    if (!root) {
        const RunResult run = RunDemo({"--png", file, "--size", "60x60", "x"});
        EXPECT_EQ(run.ExitCode, 1);
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A read-only picture is refused, also for root.
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner));
    const RunResult run = RunDemo({"--png", file, "--size", "60x60", "x"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_TRUE(run.Output.contains("Permission denied")) << run.Output.toStdString();
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
}

TEST(DemoProgram, QtThatCannotStartIsAReportedFailureNotAnAbort)
{
    QTemporaryDir dir;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "no-such-platform");
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(ONDRIX_GRAPH_BIN, {"--png", dir.filePath("plot.png"), "x"});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(process.readAll());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(output.contains("ondrix-graph: cannot go on: ")) << output.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("plot.png")));
}
