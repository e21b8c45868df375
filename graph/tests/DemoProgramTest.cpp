// ondrix-graph from the outside: PNG renders without a display, options and
// their errors.
#include "GraphTestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
          QStringList{"--png"}}) {
        run = RunDemo(arguments);
        EXPECT_EQ(run.ExitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.Output.startsWith("ondrix-graph: ")) << run.Output.toStdString();
    }

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
