// The waiters' shutdown while the DTR, RTS and I/O toggles run at full speed:
// the shutdown is handed to the GUI thread, so it never releases a port under
// a tick. Built under ThreadSanitizer as well.
#include "InstrumentFixture.h"

#include <QTest>
#include <thread>

namespace ondrix::app::testing {
namespace {

class WaiterShutdownTest : public InstrumentTest
{
  protected:
    WaiterShutdownTest() { realTimers = true; }

    // Waits for the end, then checks that nothing touched the ports after it.
    void ExpectCleanEnd()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !endedWith.empty(); }, 10000));
        EXPECT_EQ(endedWith, std::vector<int>{2});
        EXPECT_EQ(log->Closed, std::vector<std::string>{"COM1"});
        EXPECT_FALSE(instrument->ComPortOpen());
        const std::size_t lines = log->Lines.size();
        const std::size_t writes = log->Writes.size();
        QTest::qWait(10);
        EXPECT_EQ(log->Lines.size(), lines);
        EXPECT_EQ(log->Writes.size(), writes);
        for (TInterfaceId port : {Io, Dtr, Rts})
            EXPECT_FALSE(instrument->ToggleTimer(port)->Enabled());
    }

    void WaitForToggles()
    {
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return log->Lines.size() >= 6 && log->Writes.size() >= 3; }, 10000));
    }
};

TEST_F(WaiterShutdownTest, AutoQuitWhileAllTogglesRun)
{
    for (int run = 0; run < 3; ++run) {
        endedWith.clear();
        log->Closed.clear();
        Start({"/com=COM1", "/dtr=20000", "/rts=20000", "/iofreq=20000", "/autoquit=15"});
        ExpectCleanEnd();
        EXPECT_FALSE(log->Lines.empty());
        EXPECT_FALSE(log->Writes.empty());
    }
}

TEST_F(WaiterShutdownTest, AtomDeletedFromAnotherThreadWhileAllTogglesRun)
{
    const std::uint16_t atom = atoms->Add("toggle run");
    ASSERT_NE(atom, 0);
    Start({"/com=COM1", "/dtr=20000", "/rts=20000", "/iofreq=20000", "/atom=" + std::to_string(atom),
           "/autoquit=600000"});
    WaitForToggles();
    std::thread deleter([&] { atoms->Delete(atom); });
    deleter.join();
    ExpectCleanEnd();
}

} // namespace
} // namespace ondrix::app::testing
