#include "app/model/ErrorReport.h"
#include "app/model/Timer.h"

#include <QEventLoop>
#include <QTest>
#include <gtest/gtest.h>
#include <stdexcept>

namespace ondrix::app {
namespace {

TEST(TimerTest, PropertiesAndTicks)
{
    auto timer = QtTimers()(0, false);
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 0);
    timer->SetInterval(-5);
    EXPECT_EQ(timer->Interval(), 0);

    int ticks = 0;
    timer->OnTimer = [&] { ++ticks; };
    timer->SetInterval(1);
    QTest::qWait(20);
    EXPECT_EQ(ticks, 0); // not enabled
    timer->SetEnabled(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 5000));
    timer->SetEnabled(false);
    const int stopped = ticks;
    QTest::qWait(20);
    EXPECT_EQ(ticks, stopped);
}

TEST(TimerTest, IntervalZeroGivesNoTicksWhileEnabled)
{
    auto idle = QtTimers()(0, true);
    int idleTicks = 0;
    idle->OnTimer = [&] { ++idleTicks; };
    auto reference = QtTimers()(1, true);
    int referenceTicks = 0;
    reference->OnTimer = [&] { ++referenceTicks; };
    ASSERT_TRUE(QTest::qWaitFor([&] { return referenceTicks >= 10; }, 5000));
    EXPECT_TRUE(idle->Enabled());
    EXPECT_EQ(idleTicks, 0);
}

TEST(TimerTest, AHandlerNeverOverlapsItself)
{
    auto timer = QtTimers()(1, true);
    auto other = QtTimers()(1, true);
    int depth = 0, maxDepth = 0, ticks = 0, otherTicks = 0;
    other->OnTimer = [&] { ++otherTicks; };
    timer->OnTimer = [&] {
        ++ticks;
        maxDepth = std::max(maxDepth, ++depth);
        if (ticks == 1) // a prompt's event loop inside the handler
            (void)QTest::qWaitFor([&] { return otherTicks >= 10; }, 5000);
        --depth;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 5000));
    EXPECT_EQ(maxDepth, 1);
    EXPECT_GE(otherTicks, 10); // other timers go on meanwhile
}

TEST(TimerTest, HandlerErrorsGoToTheApplicationHandler)
{
    std::vector<std::string> shown;
    const int owner = 0;
    SetErrorHandler(&owner, [&](const std::string& m, const std::string&) { shown.push_back(m); });
    auto timer = QtTimers()(1, true);
    int ticks = 0;
    timer->OnTimer = [&] {
        if (++ticks <= 2) throw std::runtime_error("tick " + std::to_string(ticks));
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 5000));
    ClearErrorHandler(&owner);
    EXPECT_EQ(shown, (std::vector<std::string>{"tick 1", "tick 2"}));
    EXPECT_TRUE(timer->Enabled()); // it keeps running
}

} // namespace
} // namespace ondrix::app
