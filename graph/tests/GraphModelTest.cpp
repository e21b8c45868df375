// Properties, series, the visible range and the arithmetic behind the grid.
#include "GraphTestSupport.h"

#include "graph/NumberFormat.h"
#include "graph/RangeNormalizer.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace ondrix::graph;
using namespace ondrix::graph::test;

namespace {

struct ChangeCounter
{
    int Changes = 0;
    int VisChanges = 0;

    void Watch(TEasyGraph& graph)
    {
        graph.SetOnChange([this](TEasyGraph*) { ++Changes; });
        graph.SetOnVisChange([this](TEasyGraph*) { ++VisChanges; });
    }
};

} // namespace

TEST(GraphModel, StartsWithThePublishedDefaults)
{
    TEasyGraph graph;
    EXPECT_EQ(graph.size(), QSize(60, 40));
    EXPECT_EQ(graph.VisibleRange(), (TEGRange{-10, -10, 10, 10}));
    EXPECT_EQ(graph.AspectRatio(), 1);
    EXPECT_EQ(graph.BgStyle(), bgsSolid);
    EXPECT_EQ(graph.BorderStyle(), bstNone);
    EXPECT_EQ(graph.ColorBg(), 0x8000000Fu);
    EXPECT_EQ(graph.ColorBg2(), 0x80000010u);
    EXPECT_EQ(graph.ColorGrid(), 0x808080u);
    EXPECT_EQ(graph.GraphBorder(), bstLowered);
    EXPECT_EQ(graph.GridStyle(), gsFull);
    EXPECT_EQ(graph.MousePan(), maRight);
    EXPECT_EQ(graph.MouseZoom(), maRight);
    EXPECT_EQ(graph.MouseFuncHint(), maShift);
    EXPECT_TRUE(graph.NumbHoriz() && graph.NumbVert());
    EXPECT_EQ(graph.Quadrant(), egqAll);
    EXPECT_EQ(graph.ZoomTime(), 200);
    EXPECT_TRUE(graph.NeedsRender() && graph.BackgroundDirty());
    EXPECT_EQ(graph.Series().Count(), 0);
    EXPECT_EQ(graph.HintForm().size(), QSize(80, 50));

    TPoints points;
    EXPECT_EQ(points.Color(), clRed);
    EXPECT_EQ(points.Style(), egdLine);
    EXPECT_TRUE(points.Visible());
    EXPECT_EQ(points.DomainMin(), -1.1e4932L);
    EXPECT_EQ(points.DomainMax(), 1.1e4932L);
}

TEST(GraphModel, SettersReportRealChangesOnly)
{
    TEasyGraph graph;
    ChangeCounter counter;
    counter.Watch(graph);
    graph.Render();
    ASSERT_FALSE(graph.NeedsRender());
    ASSERT_FALSE(graph.BackgroundDirty());

    graph.SetColorGrid(clGray); // equal: nothing happens
    EXPECT_EQ(counter.Changes, 0);
    EXPECT_FALSE(graph.NeedsRender());

    graph.SetColorGrid(clRed);
    EXPECT_EQ(counter.Changes, 1);
    EXPECT_TRUE(graph.NeedsRender());
    EXPECT_FALSE(graph.BackgroundDirty());

    graph.SetColorBg2(clBlue); // a background property
    EXPECT_TRUE(graph.BackgroundDirty());
    EXPECT_EQ(counter.Changes, 2);

    graph.SetQuadrant(egqAll); // applied even when unchanged
    EXPECT_EQ(counter.Changes, 3);
    graph.SetAspectRatio(0); // ignored
    EXPECT_EQ(graph.AspectRatio(), 1);
    EXPECT_EQ(counter.Changes, 3);

    graph.Render();
    graph.SetBgImage("picture.png"); // solid style: reported, but no new background
    EXPECT_EQ(counter.Changes, 4);
    EXPECT_FALSE(graph.BackgroundDirty());
    EXPECT_FALSE(graph.NeedsRender());

    graph.SetOnXLabeling({}); // always
    EXPECT_EQ(counter.Changes, 5);
    EXPECT_TRUE(graph.NeedsRender());

    graph.SetMaintainRatio(true); // plain fields
    graph.SetZoomTime(0);
    EXPECT_EQ(counter.Changes, 5);
}

TEST(GraphModel, SeriesListReportsChangesAndGuardsItsIndex)
{
    TEasyGraph graph;
    ChangeCounter counter;
    counter.Watch(graph);
    graph.Series().Add();
    EXPECT_EQ(counter.Changes, 1);
    TPoints& points = graph.Series().Items(0);
    points.SetColor(clRed); // equal
    EXPECT_EQ(counter.Changes, 1);
    points.SetColor(clBlue);
    points.SetExpression("x");
    points.SetExpression("x"); // always
    EXPECT_EQ(counter.Changes, 4);

    for (int bad : {-1, 1}) {
        try {
            graph.Series().Items(bad);
            ADD_FAILURE() << "index " << bad << " accepted";
        } catch (const ESeriesIndexError& error) {
            EXPECT_STREQ(error.what(), "");
        }
    }
}

TEST(GraphModel, ExpressionsReachTheParserWithoutForeignCharacters)
{
    TPoints points;
    points.SetExpression("timer(0)*(x mod 4)");
    EXPECT_EQ(points.Expression(), "timer(0)*(x mod 4)");
    EXPECT_EQ(points.StrippedExpression(), "timer(0)*(xmod4)");
    EXPECT_EQ(TPoints::StripExpression("a<b = c\t>=d;e_f\"g'"), "abcdefg");
    EXPECT_EQ(TPoints::StripExpression("2^3 / (1.5,7)"), "2^3/(1.5,7)");
}

TEST(GraphModel, SetVisibleOrdersIgnoresAndAlwaysRepaints)
{
    TEasyGraph graph;
    ChangeCounter counter;
    counter.Watch(graph);
    graph.SetVisible(TEGRange{5, 2, -5, -2});
    EXPECT_EQ(graph.VisibleRange(), (TEGRange{-5, -2, 5, 2}));
    EXPECT_EQ(counter.VisChanges, 1);
    EXPECT_FALSE(graph.NeedsRender()); // painted at once

    graph.SetVisible(TEGRange{3, 0, 3, 1});
    graph.SetVisible(TEGRange{0, 1, 3, 1});
    graph.SetVisible(TEGRange{0, 0, std::numeric_limits<long double>::quiet_NaN(), 1});
    EXPECT_EQ(graph.VisibleRange(), (TEGRange{-5, -2, 5, 2}));
    EXPECT_EQ(counter.VisChanges, 1);

    graph.SetVisible(graph.VisibleRange()); // no comparison with the current range
    EXPECT_EQ(counter.VisChanges, 2);
}

TEST(GraphModel, UpdateLockDefersPaintingToTheLastEndUpdate)
{
    TEasyGraph graph;
    graph.Series().Add();
    graph.Render();
    graph.BeginUpdate();
    graph.BeginUpdate();
    graph.Series().Items(0).SetExpression("x");
    EXPECT_TRUE(graph.NeedsRender());
    graph.EndUpdate();
    EXPECT_EQ(graph.UpdateLock(), 1);
    EXPECT_TRUE(graph.NeedsRender());
    graph.EndUpdate();
    EXPECT_EQ(graph.UpdateLock(), 0);
    EXPECT_FALSE(graph.NeedsRender());
    graph.EndUpdate(); // unbalanced: stays at 0
    EXPECT_EQ(graph.UpdateLock(), 0);
}

TEST(GraphModel, RenderCorrectsSpansAboutTheirCentre)
{
    auto graph = PlainGraph(103, 103);
    graph->SetVisible(TEGRange{1, -30000, 1.002L, 10000});
    const TEGRange& range = graph->VisibleRange();
    EXPECT_NEAR(static_cast<double>(range.XMax - range.XMin), 0.01, 1e-12);
    EXPECT_NEAR(static_cast<double>(range.XMin + range.XMax), 2.002, 1e-12);
    EXPECT_NEAR(static_cast<double>(range.YMin), -15000, 1e-9);
    EXPECT_NEAR(static_cast<double>(range.YMax), -5000, 1e-9);
}

TEST(GraphModel, SpanTooWideToRepresentIsNarrowedAboutItsCentre)
{
    TEGRange range{-10, -1.1e4932L, 10, 1.1e4932L};
    NormalizeRange(range, TRatioRule{false, 1, 100, 100});
    EXPECT_EQ(range, (TEGRange{-10, -5000, 10, 5000}));
}

TEST(GraphModel, HugeSpansKeepTheFullMaximumWidth)
{
    // Moving each end inwards by (span - 10000) / 2 is lost in their rounding.
    TEGRange range{-1e25L, 0, 1e25L, 1e30L};
    NormalizeRange(range, TRatioRule{false, 1, 100, 100});
    EXPECT_EQ(range.XMin, -5000);
    EXPECT_EQ(range.XMax, 5000);
    // A centre of 5e29 cannot carry a 10000 wide span: it is brought in.
    EXPECT_EQ(range.YMax - range.YMin, 10000);
    EXPECT_EQ(range.YMin, 1e15L - 5000);
    range = TEGRange{-1e30L, -1e30L, 0, 0};
    NormalizeRange(range, TRatioRule{false, 1, 100, 100});
    EXPECT_EQ(range, (TEGRange{-1e15L - 5000, -1e15L - 5000, -1e15L + 5000, -1e15L + 5000}));
}

TEST(GraphModel, MaintainRatioWidensTheSmallerSide)
{
    TEGRange range{-10, -10, 10, 10};
    NormalizeRange(range, TRatioRule{true, 1, 200, 100}); // t = 2, r = 1
    EXPECT_EQ(range, (TEGRange{-20, -10, 20, 10}));
    range = TEGRange{-10, -10, 10, 10};
    NormalizeRange(range, TRatioRule{true, 4, 100, 100}); // t = 4
    EXPECT_EQ(range, (TEGRange{-40, -10, 40, 10}));
    range = TEGRange{-40, -5, 40, 5};
    NormalizeRange(range, TRatioRule{true, 1, 100, 100}); // r = 8 > t = 1
    EXPECT_EQ(range, (TEGRange{-40, -40, 40, 40}));
    range = TEGRange{-40, -5, 40, 5};
    NormalizeRange(range, TRatioRule{false, 1, 100, 100});
    EXPECT_EQ(range, (TEGRange{-40, -5, 40, 5}));
}

TEST(GraphModel, TickStepIsTheSmallestWhoseSpacingExceedsTheLabel)
{
    EXPECT_EQ(TTickRuler::StepFor(0), 10000);
    EXPECT_EQ(TTickRuler::StepFor(2), 10000);
    EXPECT_EQ(TTickRuler::StepFor(3), 5000);
    EXPECT_EQ(TTickRuler::StepFor(10), 5000);
    EXPECT_EQ(TTickRuler::StepFor(11), 1000);
    EXPECT_EQ(TTickRuler::StepFor(21), 500);
    EXPECT_EQ(TTickRuler::StepFor(2001), 5);
    EXPECT_NEAR(static_cast<double>(TTickRuler::StepFor(20000001)), 0.0005, 1e-15);
    EXPECT_EQ(TTickRuler::LabelDensity(1, 0), 10); // an empty label template

    std::vector<TTick> ticks;
    TTickRuler::Ticks(-10, 10, 2.7L, 5, ticks);
    ASSERT_EQ(ticks.size(), 5u);
    EXPECT_EQ(ticks[0].Value, -10);
    EXPECT_EQ(ticks[1].Offset, 13);
    EXPECT_EQ(ticks[4].Value, 10);
    TTickRuler::Ticks(0.5L, 3, 10, 1, ticks); // the first tick lies past Min
    ASSERT_EQ(ticks.size(), 3u);
    EXPECT_EQ(ticks[0].Value, 1);
    EXPECT_EQ(ticks[0].Offset, 5);
    // Far out, a step no longer changes the value: the walk still ends.
    TTickRuler::Ticks(1e30L, 1e30L + 1e12L, 1e-10L, 1, ticks);
    EXPECT_LE(ticks.size(), 1u);
}

TEST(GraphModel, NumbersAreFixedPointInTheUsersLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(FormatFixed(-10, 3), "-10.000");
    EXPECT_EQ(FormatFixed(-1e-12L, 3), "0.000");
    EXPECT_EQ(FormatFixed(0.00004L, 4), "0.0000");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatFixed(12345.5L, 3), "12345,500");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(FormatFixed(12345.5L, 4), "12345.5000");
    QLocale::setDefault(saved);
}
