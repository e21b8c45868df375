// Pixel checks on graphs rendered into their back buffer (offscreen).
#include "GraphTestSupport.h"

#include "graph/BackgroundGradient.h"

#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>
#include <stdexcept>

using namespace ondrix::graph;
using namespace ondrix::graph::test;

namespace {

// The front panel's mini plot: 65 x 57, black, no numbers, range x 0..5, y -10..10.
std::unique_ptr<TEasyGraph> FrontPanelGraph()
{
    auto graph = PlainGraph(65, 57);
    graph->SetColorBg(clBlack);
    graph->SetVisible(TEGRange{0, -10, 5, 10});
    return graph;
}

} // namespace

TEST(GraphRender, FrontPanelPlotHasFiveStepGridAndAxis)
{
    auto graph = FrontPanelGraph();
    const QImage image = Rendered(*graph);
    ASSERT_EQ(graph->TextHeight(), 13);
    EXPECT_EQ(graph->PlotRect(), (TGraphRect{1, 1, 63, 55}));
    // P = 54 / 20 = 2.7 pixels per unit: D = Round(2.7 * 10000 / 13) = 2077, step 5.
    EXPECT_EQ(TTickRuler::LabelDensity(2.7L, 13), 2077);
    EXPECT_EQ(TTickRuler::StepFor(2077), 5);
    // -10 at the bottom row, -5 at 55 - Trunc(13.5), 5 at 55 - Trunc(40.5), 10 at the top row.
    for (int row : {55, 42, 15, 1})
        for (int x = 2; x <= 62; ++x)
            ASSERT_EQ(At(image, x, row), Grid) << "row " << row << " column " << x;
    for (int x = 2; x <= 62; ++x)
        ASSERT_EQ(At(image, x, 28), Axis) << "x axis at column " << x;
    // Nothing else inside the plot but the background; x = 0 is the plot's left column.
    EXPECT_EQ(RowsWith(image, 1, Axis), Span(1, 55));
    EXPECT_EQ(At(image, 30, 20), clBlack);
    // The lowered plot frame: shadow on the top and left, highlight on the bottom and right.
    EXPECT_EQ(image.pixel(30, 0), ResolveColor(clBtnShadow, graph->palette()));
    EXPECT_EQ(image.pixel(0, 30), ResolveColor(clBtnShadow, graph->palette()));
    EXPECT_EQ(image.pixel(30, 56), ResolveColor(clBtnHighlight, graph->palette()));
    EXPECT_EQ(image.pixel(64, 30), ResolveColor(clBtnHighlight, graph->palette()));
}

TEST(GraphRender, GradientsStepInFixedPointAndStopOneStepShort)
{
    auto graph = PlainGraph(20, 57);
    graph->SetGraphBorder(bstNone);
    graph->SetGridStyle(gsNone);
    graph->SetBgStyle(bgsLineHoriz);
    graph->SetColorBg(RGBColor(0, 0, 0));
    graph->SetColorBg2(RGBColor(128, 64, 255));
    QImage image = Rendered(*graph);
    EXPECT_EQ(At(image, 5, 0), RGBColor(0, 0, 0));
    // Steps (128 << 20) div 57 and so on: line 56 is (125, 62, 250), one step short.
    EXPECT_EQ(At(image, 5, 56), RGBColor(125, 62, 250));
    EXPECT_EQ(At(image, 5, 28), RGBColor(62, 31, 125));
    for (int y = 1; y < 57; ++y)
        ASSERT_GE(qRed(image.pixel(0, y)), qRed(image.pixel(0, y - 1)));

    graph->SetBgStyle(bgsLineVert);
    graph->resize(57, 10);
    image = Rendered(*graph);
    EXPECT_EQ(At(image, 0, 3), RGBColor(0, 0, 0));
    EXPECT_EQ(At(image, 56, 3), RGBColor(125, 62, 250));
    // Falling channels step down the same way.
    // 255 + 56 * ((-255 << 20) div 57) / 2^20 = 4.47.
    EXPECT_EQ(GradientLineColor(qRgb(255, 255, 255), qRgb(0, 0, 0), 56, 57), qRgb(4, 4, 4));
}

struct QuadrantCase
{
    TEGQuadrant Quadrant;
    std::vector<int> UpperColumns; // columns of y = 5 (row 26)
    std::vector<int> LowerColumns; // columns of y = -5 (row 76)
};

const char* const QuadrantNames[] = {"All", "First", "Second", "Third", "Fourth", "Right", "Left"};

// Test listings show the case by its quadrant and columns (the default dump
// would show the bytes of the vectors, heap addresses included).
void PrintTo(const QuadrantCase& quadrantCase, std::ostream* os)
{
    const auto columns = [os](const char* label, const std::vector<int>& span) {
        *os << label;
        if (span.empty())
            *os << "none";
        else
            *os << span.front() << ".." << span.back();
    };
    *os << QuadrantNames[quadrantCase.Quadrant];
    columns(", upper columns ", quadrantCase.UpperColumns);
    columns(", lower columns ", quadrantCase.LowerColumns);
}

class GraphQuadrant : public ::testing::TestWithParam<QuadrantCase>
{
};

// A 103 x 103 graph over -10..10: the plot is columns and rows 1..101 and the
// clip starts as (1, 1, 102, 102), W = H = 101; Round(101 * 10 / 20) = 50.
TEST_P(GraphQuadrant, ClipsTheSeriesToItsQuadrant)
{
    auto graph = PlainGraph(103, 103);
    graph->SetGridStyle(gsNone);
    AddSeries(*graph, "5", Trace);
    AddSeries(*graph, "-5", Trace2);
    graph->SetQuadrant(GetParam().Quadrant);
    const QImage image = Rendered(*graph);
    EXPECT_EQ(ColumnsWith(image, 26, Trace), GetParam().UpperColumns);
    EXPECT_EQ(ColumnsWith(image, 76, Trace2), GetParam().LowerColumns);
    EXPECT_EQ(CountColor(image, Trace), static_cast<int>(GetParam().UpperColumns.size()));
    EXPECT_EQ(CountColor(image, Trace2), static_cast<int>(GetParam().LowerColumns.size()));
}

INSTANTIATE_TEST_SUITE_P(
    AllQuadrants, GraphQuadrant,
    ::testing::Values(QuadrantCase{egqAll, Span(1, 101), Span(1, 101)},
                      QuadrantCase{egqFirst, Span(51, 101), {}},  // L = 102 - 50 - 1, B = 1 + 50
                      QuadrantCase{egqSecond, Span(1, 51), {}},   // R = 1 + 50 + 1, B = 1 + 50 + 1
                      QuadrantCase{egqThird, {}, Span(1, 50)},    // R = 1 + 50, T = 102 - 50
                      QuadrantCase{egqFourth, {}, Span(51, 101)}, // L = 51, T = 52
                      QuadrantCase{egqRight, Span(51, 101), Span(51, 101)},
                      QuadrantCase{egqLeft, Span(1, 50), Span(1, 50)}),
    [](const ::testing::TestParamInfo<QuadrantCase>& info) { return QuadrantNames[info.param.Quadrant]; });

TEST(GraphRender, QuadrantOutsideTheRangeDrawsGridButNoSeries)
{
    auto graph = PlainGraph(103, 103);
    graph->SetNumbVert(true);
    AddSeries(*graph, "5");
    graph->SetQuadrant(egqFirst);
    graph->SetVisible(TEGRange{-20, -10, -5, 10});
    const QImage image = Rendered(*graph);
    EXPECT_EQ(CountColor(image, Trace), 0);
    EXPECT_GT(CountColor(image, Grid), 100);
    EXPECT_GT(CountDark(image, image.rect()), 10); // the numbers
}

TEST(GraphRender, PoleIsAGapButASteepFiniteJumpIsJoined)
{
    auto graph = PlainGraph(103, 103);
    graph->SetGridStyle(gsNone);
    AddSeries(*graph, "1/x", Trace);
    AddSeries(*graph, "10*heav(x)-5", Trace2);
    const QImage image = Rendered(*graph);
    // 1/x: -2.5 at column 49 (row 63), -5 at column 50 (row 76), a pole at
    // column 51, 5 at column 52 (row 26), 2.5 at column 53 (row 39).
    for (int x = 50; x <= 52; ++x)
        for (int y = 40; y <= 62; ++y)
            ASSERT_NE(At(image, x, y), Trace) << x << "," << y;
    EXPECT_FALSE(RowsWith(image, 60, Trace).empty()); // the branches themselves are drawn
    // The step from -5 to 5 is a vertical stroke through every row between.
    for (int y = 27; y <= 75; ++y) {
        bool found = false;
        for (int x = 49; x <= 53; ++x)
            found = found || At(image, x, y) == Trace2;
        ASSERT_TRUE(found) << "row " << y;
    }
}

TEST(GraphRender, EndPixelAndDomainLimits)
{
    auto graph = PlainGraph(103, 103);
    graph->SetGridStyle(gsNone);
    TPoints& points = AddSeries(*graph, "5");
    // Each segment leaves out its end; the last column comes from the end pixel.
    EXPECT_EQ(ColumnsWith(Rendered(*graph), 26, Trace), Span(1, 101));

    points.SetDomainMax(0.1L); // column 51 is x = 0, column 52 x = 0.2
    EXPECT_EQ(ColumnsWith(Rendered(*graph), 26, Trace), Span(1, 51));

    points.SetDomainMax(TPoints::NoDomainLimit);
    points.SetDomainMin(-0.1L);
    EXPECT_EQ(ColumnsWith(Rendered(*graph), 26, Trace), Span(51, 101));
}

TEST(GraphRender, DotsSetOnePixelPerVisibleSampleLinesJoinThem)
{
    auto graph = PlainGraph(103, 103);
    graph->SetGridStyle(gsNone);
    TPoints& points = AddSeries(*graph, "5*x");
    points.SetStyle(egdDots);
    QImage image = Rendered(*graph);
    // Visible while -10.1 < 5x < 10.1: x = -2 .. 2, columns 41..61.
    EXPECT_EQ(CountColor(image, Trace), 21);
    for (int x = 41; x <= 61; ++x)
        EXPECT_EQ(RowsWith(image, x, Trace).size(), 1u) << "column " << x;
    EXPECT_EQ(RowsWith(image, 51, Trace), std::vector<int>{51});

    points.SetStyle(egdLine);
    image = Rendered(*graph);
    // The joined line crosses every row of the plot.
    for (int y = 1; y <= 101; ++y)
        ASSERT_FALSE(ColumnsWith(image, y, Trace).empty()) << "row " << y;
}

TEST(GraphRender, SeriesThatFailLeaveTheOthersDrawn)
{
    auto graph = PlainGraph(103, 103);
    graph->SetGridStyle(gsNone);
    graph->Parser().AddFunction("boom", [](TOperation&) { throw std::runtime_error("boom"); });
    AddSeries(*graph, "sin(", Trace2);      // does not compile
    AddSeries(*graph, "nosuch(x)", Trace2); // unknown function
    AddSeries(*graph, "boom(x)", Trace2);   // raises on every evaluation
    AddSeries(*graph, "5", Trace);
    AddSeries(*graph, "sqrt(x)", 0x00FFFF); // a math error left of 0
    const QImage image = Rendered(*graph);
    EXPECT_EQ(CountColor(image, Trace2), 0);
    EXPECT_EQ(ColumnsWith(image, 26, Trace), Span(1, 101));
    for (int x = 1; x < 51; ++x)
        ASSERT_TRUE(RowsWith(image, x, 0x00FFFF).empty()) << "column " << x;
    EXPECT_FALSE(RowsWith(image, 80, 0x00FFFF).empty());
}

TEST(GraphRender, HiddenSeriesAreNotDrawnAndLaterSeriesGoOnTop)
{
    auto graph = PlainGraph(103, 103);
    AddSeries(*graph, "5", Trace);
    TPoints& hidden = AddSeries(*graph, "-5", Trace2);
    AddSeries(*graph, "5", 0x00FFFF);
    hidden.SetVisible(false);
    const QImage image = Rendered(*graph);
    EXPECT_EQ(CountColor(image, Trace2), 0);
    EXPECT_EQ(CountColor(image, Trace), 0);
    EXPECT_EQ(ColumnsWith(image, 26, 0x00FFFF), Span(1, 101));
}

TEST(GraphRender, NumbersMoveThePlotByTheSampleAndTheTextHeight)
{
    auto graph = PlainGraph(300, 200);
    Rendered(*graph);
    const TGraphRect bare = graph->PlotRect();
    EXPECT_EQ(bare, (TGraphRect{1, 1, 298, 198}));

    graph->SetNumbVert(true);
    QImage image = Rendered(*graph);
    EXPECT_EQ(graph->PlotRect().Left, bare.Left + graph->VerticalSampleWidth() + 4);
    EXPECT_EQ(graph->VerticalSampleWidth(), QFontMetrics(graph->font()).horizontalAdvance("88888,888"));
    // The lowered frame follows the plot's left edge.
    EXPECT_EQ(image.pixel(graph->PlotRect().Left - 1, 100), ResolveColor(clBtnShadow, graph->palette()));
    EXPECT_GT(CountDark(image, QRect(0, 0, graph->PlotRect().Left - 1, 200)), 20); // the labels

    graph->SetNumbHoriz(true);
    image = Rendered(*graph);
    EXPECT_EQ(graph->PlotRect().Bottom, bare.Bottom - graph->TextHeight() - 4);
}

TEST(GraphRender, LabelingEventsReplaceTheNumbers)
{
    auto graph = FrontPanelGraph();
    graph->resize(200, 57);
    graph->SetNumbVert(true);
    std::vector<long double> yValues;
    graph->SetOnYLabeling([&](TEasyGraph*, long double value, QString& label) {
        EXPECT_TRUE(label.isEmpty());
        yValues.push_back(value);
        label = QStringLiteral("L");
    });
    Rendered(*graph);
    EXPECT_EQ(yValues, (std::vector<long double>{-10, -5, 0, 5, 10}));

    std::vector<long double> xValues;
    graph->SetOnXLabeling([&](TEasyGraph*, long double value, QString& label) {
        xValues.push_back(value);
        label = QString();
    });
    graph->SetNumbHoriz(true);
    Rendered(*graph);
    // The template asks for the labels of both ends first, then one per tick.
    ASSERT_GE(xValues.size(), 2u);
    EXPECT_EQ(xValues[0], 0);
    EXPECT_EQ(xValues[1], 5);
}

TEST(GraphRender, RenderIntoACanvasDrawsNoBackgroundAndKeepsNeedsRender)
{
    auto graph = PlainGraph(103, 103);
    AddSeries(*graph, "5");
    QImage target(103, 103, QImage::Format_RGB32);
    target.fill(qRgb(255, 0, 255));
    {
        QPainter painter(&target);
        graph->Render(&painter);
    }
    EXPECT_TRUE(graph->NeedsRender());
    EXPECT_EQ(At(target, 30, 30), RGBColor(255, 0, 255));
    EXPECT_EQ(ColumnsWith(target, 26, Trace), Span(1, 101));
    EXPECT_EQ(RowsWith(target, 51, Axis).size(), 100u); // the y axis under the trace
}

TEST(GraphRender, ImageBackgroundsTileStretchAndFallBackToSolid)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage tile(2, 1, QImage::Format_RGB32);
    tile.setPixel(0, 0, qRgb(10, 20, 30));
    tile.setPixel(1, 0, qRgb(200, 100, 50));
    const QString file = dir.filePath("tile.png");
    ASSERT_TRUE(tile.save(file));

    auto graph = PlainGraph(40, 30);
    graph->SetGraphBorder(bstNone);
    graph->SetGridStyle(gsNone);
    graph->SetBgStyle(bgsImageTile);
    graph->SetBgImage(file);
    QImage image = Rendered(*graph);
    EXPECT_EQ(At(image, 4, 7), RGBColor(10, 20, 30));
    EXPECT_EQ(At(image, 5, 7), RGBColor(200, 100, 50));

    graph->SetBgStyle(bgsImageStretch);
    image = Rendered(*graph);
    EXPECT_EQ(At(image, 5, 15), RGBColor(10, 20, 30));
    EXPECT_EQ(At(image, 35, 15), RGBColor(200, 100, 50));

    // An unreadable file: nothing is drawn as background in this render, the
    // solid colour from the next one on.
    graph->SetBgImage(dir.filePath("missing.png"));
    Rendered(*graph);
    graph->SetNumbHoriz(true); // any change that needs a render
    graph->SetNumbHoriz(false);
    image = Rendered(*graph);
    EXPECT_EQ(At(image, 35, 15), Background);
}

TEST(GraphRender, BackBufferAndCanvasGiveTheSamePicture)
{
    auto graph = PlainGraph(240, 160);
    graph->SetNumbVert(true);
    graph->SetNumbHoriz(true);
    graph->SetQuadrant(egqLeft);
    AddSeries(*graph, "sin(x*20)*9", Trace);
    AddSeries(*graph, "tan(x)", Trace2);
    AddSeries(*graph, "x*x/4-8", 0x00FFFF).SetStyle(egdDots);
    const QImage buffered = Rendered(*graph);
    QImage painted(240, 160, QImage::Format_RGB32);
    painted.fill(ResolveColor(Background, graph->palette()));
    {
        QPainter painter(&painted);
        graph->Render(&painter);
    }
    EXPECT_EQ(CountColor(buffered, Trace), CountColor(painted, Trace));
    EXPECT_TRUE(buffered == painted);
}
