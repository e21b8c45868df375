// The mouse on a shown graph, driven by synthesized events: zoom, pan, the
// rubber band and the value hint.
#include "GraphTestSupport.h"

#include <QLocale>
#include <QTest>
#include <gtest/gtest.h>

using namespace ondrix::graph;
using namespace ondrix::graph::test;

namespace {

// A shown 103 x 103 graph over -10..10: 0.2 units per pixel, the centre at (51, 51).
class GraphMouse : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        graph = PlainGraph(103, 103);
        graph->SetZoomTime(0);
        graph->SetOnVisChange([this](TEasyGraph*) { ++visChanges; });
        graph->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(graph.get()));
        graph->Render();
        visChanges = 0;
    }

    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    const TEGRange& Range() const { return graph->VisibleRange(); }

    std::unique_ptr<TEasyGraph> graph;
    int visChanges = 0;
};

} // namespace

TEST_F(GraphMouse, RightClickZoomsOutAboutTheCentreInOneStep)
{
    QTest::mouseClick(graph.get(), Qt::RightButton, {}, QPoint(20, 80));
    EXPECT_EQ(Range(), (TEGRange{-20, -20, 20, 20}));
    EXPECT_EQ(visChanges, 1);
    EXPECT_EQ(graph->MouseMode(), 0);
}

TEST_F(GraphMouse, LeftClickZoomsInAboutTheCentreNotTheClickPoint)
{
    QTest::mouseClick(graph.get(), Qt::LeftButton, {}, QPoint(20, 80));
    EXPECT_EQ(Range(), (TEGRange{-5, -5, 5, 5}));
    EXPECT_EQ(visChanges, 1);
}

TEST_F(GraphMouse, PressesOutsideThePlotOrWithTheMiddleButtonDoNothing)
{
    QTest::mouseClick(graph.get(), Qt::RightButton, {}, QPoint(0, 50)); // on the frame
    QTest::mouseClick(graph.get(), Qt::MiddleButton, {}, QPoint(50, 50));
    EXPECT_EQ(Range(), (TEGRange{-10, -10, 10, 10}));
    EXPECT_EQ(visChanges, 0);
}

TEST_F(GraphMouse, RightDragPansFromTheThirdMoveAndDoesNotZoom)
{
    QTest::mousePress(graph.get(), Qt::RightButton, {}, QPoint(51, 51));
    QTest::mouseMove(graph.get(), QPoint(52, 51));
    QTest::mouseMove(graph.get(), QPoint(53, 51));
    EXPECT_EQ(Range(), (TEGRange{-10, -10, 10, 10})); // two moves may still be a click
    QTest::mouseMove(graph.get(), QPoint(61, 41));
    // From the press point: 10 pixels right and 10 up, 0.2 units each.
    EXPECT_EQ(Range(), (TEGRange{-12, -12, 8, 8}));
    EXPECT_EQ(graph->MouseMode(), TEasyGraph::mmPan);
    QTest::mouseMove(graph.get(), QPoint(56, 46));
    QTest::mouseRelease(graph.get(), Qt::RightButton, {}, QPoint(56, 46));
    EXPECT_EQ(Range(), (TEGRange{-11, -11, 9, 9}));
    EXPECT_EQ(visChanges, 2);
    EXPECT_EQ(graph->MouseMode(), 0);
}

TEST_F(GraphMouse, LeftDragZoomsIntoTheRectangle)
{
    QTest::mousePress(graph.get(), Qt::LeftButton, {}, QPoint(26, 76));
    QTest::mouseMove(graph.get(), QPoint(40, 60));
    QTest::mouseMove(graph.get(), QPoint(200, -5)); // clamped to the plot's corner (101, 1)
    QTest::mouseRelease(graph.get(), Qt::LeftButton, {}, QPoint(200, -5));
    // x from column 26 to 101, y from row 76 up to row 1.
    EXPECT_EQ(Range(), (TEGRange{-5, -5, 10, 10}));
    EXPECT_EQ(visChanges, 1);
}

TEST_F(GraphMouse, DragWithMaintainRatioMatchesThePlotsProportions)
{
    graph->resize(203, 103); // plot 200 x 100: x -20..20 after the first render
    graph->SetMaintainRatio(true);
    graph->Render();
    ASSERT_EQ(Range(), (TEGRange{-20, -10, 20, 10}));
    QTest::mousePress(graph.get(), Qt::LeftButton, {}, QPoint(51, 51));
    QTest::mouseMove(graph.get(), QPoint(70, 55));
    QTest::mouseMove(graph.get(), QPoint(91, 61));
    QTest::mouseRelease(graph.get(), Qt::LeftButton, {}, QPoint(91, 61));
    // The rectangle is x -10..-2, y -2..0; its height grows to half its width.
    EXPECT_EQ(Range(), (TEGRange{-10, -3, -2, 1}));
}

TEST_F(GraphMouse, RectangleThatWouldNotShrinkTheViewIsIgnored)
{
    graph->SetVisible(TEGRange{0, 0, 0.01L, 0.01L}); // already the smallest span
    visChanges = 0;
    QTest::mousePress(graph.get(), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseMove(graph.get(), QPoint(30, 30));
    QTest::mouseMove(graph.get(), QPoint(40, 40));
    QTest::mouseRelease(graph.get(), Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_EQ(visChanges, 0);
}

TEST_F(GraphMouse, RubberBandIsInvertedOnScreenAndRestoredByTheSecondDraw)
{
    const QImage before = graph->grab().toImage().convertToFormat(QImage::Format_RGB32);
    auto inverted = [&](const QImage& image, int x, int y) {
        return (image.pixel(x, y) & 0xFFFFFF) == (~before.pixel(x, y) & 0xFFFFFF);
    };
    QTest::mousePress(graph.get(), Qt::LeftButton, {}, QPoint(30, 30));
    QTest::mouseMove(graph.get(), QPoint(60, 60));
    QImage during = graph->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (QPoint p : {QPoint(45, 30), QPoint(30, 45), QPoint(60, 45), QPoint(45, 60), QPoint(60, 60)})
        EXPECT_TRUE(inverted(during, p.x(), p.y())) << p.x() << "," << p.y();
    EXPECT_EQ(during.pixel(45, 45), before.pixel(45, 45));
    EXPECT_EQ(graph->BackBuffer().pixel(45, 30), before.pixel(45, 30)); // never in the back buffer

    QTest::mouseMove(graph.get(), QPoint(70, 50));
    during = graph->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(during.pixel(45, 60), before.pixel(45, 60)); // the old bottom edge is gone
    EXPECT_TRUE(inverted(during, 45, 50));                 // the new one is drawn
    EXPECT_TRUE(inverted(during, 70, 40));
    QTest::mouseRelease(graph.get(), Qt::LeftButton, {}, QPoint(70, 50));
}

TEST_F(GraphMouse, ShiftLeftShowsTheHintUntilTheButtonIsReleased)
{
    AddSeries(*graph, "2 + 3", Trace);
    graph->Render();
    QTest::mousePress(graph.get(), Qt::LeftButton, Qt::ShiftModifier, QPoint(51, 26));
    const TEGHintForm& hint = graph->HintForm();
    ASSERT_TRUE(hint.isVisible());
    EXPECT_EQ(graph->MouseMode(), TEasyGraph::mmHint);
    EXPECT_EQ(hint.XText(), "0.0000");
    EXPECT_EQ(hint.YText(), "5.0000");
    EXPECT_TRUE(hint.SeriesHit());
    EXPECT_EQ(hint.SeriesText(), "2 + 3"); // as set, blanks included
    EXPECT_EQ(hint.SeriesColor(), qRgb(255, 0, 0));
    EXPECT_EQ(hint.pos(), graph->mapToGlobal(QPoint(51, 26 + 5 + 32)));
    // The swatch in the series colour, outlined in black.
    EXPECT_EQ(hint.Bitmap().pixel(6, 40), qRgb(255, 0, 0));
    EXPECT_EQ(hint.Bitmap().pixel(3, 40), qRgb(0, 0, 0));

    QTest::mouseMove(graph.get(), QPoint(52, 80));
    EXPECT_EQ(hint.XText(), "0.2000");
    EXPECT_EQ(hint.YText(), "-5.8000");
    EXPECT_FALSE(hint.SeriesHit());
    EXPECT_EQ(Range(), (TEGRange{-10, -10, 10, 10})); // nothing pans or zooms meanwhile

    QTest::mouseRelease(graph.get(), Qt::LeftButton, Qt::ShiftModifier, QPoint(52, 80));
    EXPECT_FALSE(hint.isVisible());
    EXPECT_EQ(graph->MouseMode(), 0);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(visChanges, 0);
}

TEST_F(GraphMouse, HintUsesTheLabelingEventsAndHidesOutsideThePlot)
{
    graph->SetOnXLabeling([](TEasyGraph*, long double v, QString& l) { l = QString("x=%1").arg(double(v)); });
    graph->SetMouseFuncHint(maRight);
    QTest::mousePress(graph.get(), Qt::RightButton, {}, QPoint(56, 51));
    const TEGHintForm& hint = graph->HintForm();
    EXPECT_EQ(hint.XText(), "x=1");
    EXPECT_EQ(hint.YText(), "0.0000");
    QTest::mouseMove(graph.get(), QPoint(102, 51)); // onto the frame: hidden, still captured
    EXPECT_FALSE(hint.isVisible());
    EXPECT_EQ(graph->MouseMode(), 0);
    QTest::mouseRelease(graph.get(), Qt::RightButton, {}, QPoint(102, 51));
    EXPECT_EQ(Range(), (TEGRange{-10, -10, 10, 10})); // the release only ended the capture
}

TEST_F(GraphMouse, PressDuringAnAnimationIsIgnored)
{
    graph->SetZoomTime(300);
    QTest::mouseClick(graph.get(), Qt::RightButton, {}, QPoint(51, 51));
    ASSERT_TRUE(graph->ZoomRunning());
    QTest::mouseClick(graph.get(), Qt::RightButton, {}, QPoint(51, 51));
    QTest::mouseClick(graph.get(), Qt::LeftButton, {}, QPoint(51, 51));
    EXPECT_EQ(graph->MouseMode(), 0);

    std::vector<long double> spans;
    graph->SetOnVisChange(
        [&](TEasyGraph* g) { spans.push_back(g->VisibleRange().XMax - g->VisibleRange().XMin); });
    for (int i = 0; i < 500 && graph->ZoomRunning(); ++i)
        QTest::qWait(10);
    ASSERT_FALSE(graph->ZoomRunning());
    EXPECT_EQ(Range(), (TEGRange{-20, -20, 20, 20})); // the last step lands on the target
    ASSERT_FALSE(spans.empty());
    for (std::size_t i = 1; i < spans.size(); ++i)
        EXPECT_GE(spans[i], spans[i - 1]);
    EXPECT_EQ(spans.back(), 40);

    QTest::mouseClick(graph.get(), Qt::RightButton, {}, QPoint(51, 51)); // accepted again
    EXPECT_TRUE(graph->ZoomRunning());
}
