// The zoom thread against the graph's life: steps are applied on the GUI
// thread, destruction mid-animation stops and joins the worker, and a step
// handed over at that moment is discarded. Also run under ThreadSanitizer.
#include "graph/EasyGraph.h"

#include <QCoreApplication>
#include <QTest>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

using namespace ondrix::graph;

namespace {

std::unique_ptr<TEasyGraph> AnimatedGraph(int zoomTime, std::shared_ptr<int> visChanges)
{
    auto graph = std::make_unique<TEasyGraph>();
    graph->resize(103, 103);
    graph->SetNumbHoriz(false);
    graph->SetNumbVert(false);
    graph->SetZoomTime(zoomTime);
    graph->Series().Add();
    graph->Series().Items(0).SetExpression("sin(x)*5");
    graph->SetOnVisChange([visChanges](TEasyGraph*) { ++*visChanges; });
    graph->show();
    graph->Render();
    return graph;
}

} // namespace

TEST(ZoomThread, AnimationRunsToItsTargetOnTheGuiThread)
{
    auto visChanges = std::make_shared<int>(0);
    auto graph = AnimatedGraph(150, visChanges);
    QTest::mouseClick(graph.get(), Qt::RightButton, {}, QPoint(51, 51));
    ASSERT_TRUE(graph->ZoomRunning());
    for (int i = 0; i < 1000 && graph->ZoomRunning(); ++i)
        QTest::qWait(5);
    EXPECT_FALSE(graph->ZoomRunning());
    EXPECT_EQ(graph->VisibleRange(), (TEGRange{-20, -20, 20, 20}));
    EXPECT_GE(*visChanges, 1);
}

TEST(ZoomThread, DestroyingTheGraphMidAnimationStopsTheWorker)
{
    auto visChanges = std::make_shared<int>(0);
    auto graph = AnimatedGraph(60000, visChanges);
    QTest::mouseClick(graph.get(), Qt::RightButton, {}, QPoint(51, 51));
    ASSERT_TRUE(graph->ZoomRunning());
    for (int i = 0; i < 200 && *visChanges < 3; ++i)
        QTest::qWait(5);
    EXPECT_GE(*visChanges, 3); // steps arrive while the event loop runs
    graph.reset();             // joins the worker; must not hang
    QCoreApplication::processEvents();
    SUCCEED();
}

TEST(ZoomThread, StepHandedOverDuringDestructionIsDiscarded)
{
    auto visChanges = std::make_shared<int>(0);
    auto graph = AnimatedGraph(60000, visChanges);
    QTest::mouseClick(graph.get(), Qt::RightButton, {}, QPoint(51, 51));
    ASSERT_TRUE(graph->ZoomRunning());
    // Without an event loop the worker hands its first step over and waits.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const int before = *visChanges;
    graph.reset();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(*visChanges, before);
}

TEST(ZoomThread, ManyShortAnimationsInARow)
{
    auto visChanges = std::make_shared<int>(0);
    auto graph = AnimatedGraph(20, visChanges);
    for (int round = 0; round < 5; ++round) {
        const QPoint centre(51, 51);
        QTest::mouseClick(graph.get(), round % 2 ? Qt::LeftButton : Qt::RightButton, {}, centre);
        for (int i = 0; i < 1000 && graph->ZoomRunning(); ++i)
            QTest::qWait(2);
        ASSERT_FALSE(graph->ZoomRunning());
    }
    EXPECT_EQ(graph->VisibleRange(), (TEGRange{-20, -20, 20, 20}));
}
