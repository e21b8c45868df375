#include "app/model/ErrorReport.h"
#include "app/model/Timer.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace ondrix::app {

void TTimer::Tick()
{
    if (inHandler_ || !OnTimer) return;
    inHandler_ = true;
    Guarded([this] { OnTimer(); });
    inHandler_ = false;
}

namespace {

// Ticks on a fixed schedule: each is due one interval after the one before,
// not after the moment it ran, so a late tick does not delay the rest and the
// mean rate stays the one asked for. A tick that could not run (the handler
// was busy in a prompt, the machine was stalled) is dropped, not made up.
class TQtTimer : public TTimer
{
  public:
    TQtTimer(int interval, bool enabled) : TTimer(interval, enabled)
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Due(); });
        clock_.start();
        Restart();
    }

  private:
    static constexpr qint64 kNanosecondsPerMs = 1000000;

    qint64 Period() const { return Interval() * kNanosecondsPerMs; }

    void Restart() override
    {
        ++schedule_;
        timer_.stop();
        if (!Ticking()) return;
        due_ = clock_.nsecsElapsed() + Period();
        Arm();
    }

    // The timer counts whole milliseconds: the wait is rounded to the nearest,
    // so the ticks fall on the schedule on average.
    void Arm()
    {
        const qint64 wait = due_ - clock_.nsecsElapsed();
        timer_.start(static_cast<int>(std::max<qint64>((wait + kNanosecondsPerMs / 2) / kNanosecondsPerMs, 0)));
    }

    void Due()
    {
        const unsigned schedule = schedule_;
        // Missed ticks are skipped: the next one is the first still ahead.
        const qint64 now = clock_.nsecsElapsed();
        due_ += Period();
        if (due_ <= now) due_ += (now - due_) / Period() * Period() + Period();
        Tick();
        // A handler that changed the timer has set its schedule already.
        if (schedule == schedule_ && Ticking()) Arm();
    }

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 due_ = 0;
    unsigned schedule_ = 0;
};

} // namespace

TTimerFactory QtTimers()
{
    return [](int interval, bool enabled) { return std::make_unique<TQtTimer>(interval, enabled); };
}

} // namespace ondrix::app
