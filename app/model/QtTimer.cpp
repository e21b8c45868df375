#include "app/model/ErrorReport.h"
#include "app/model/Timer.h"

#include <QTimer>

namespace ondrix::app {

void TTimer::Tick()
{
    if (inHandler_ || !OnTimer) return;
    inHandler_ = true;
    Guarded([this] { OnTimer(); });
    inHandler_ = false;
}

namespace {

class TQtTimer : public TTimer
{
  public:
    TQtTimer(int interval, bool enabled) : TTimer(interval, enabled)
    {
        // The port toggles and the sweep keep their spacing under load.
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        Restart();
    }

  private:
    void Restart() override
    {
        timer_.stop();
        if (Ticking()) timer_.start(Interval());
    }

    QTimer timer_;
};

} // namespace

TTimerFactory QtTimers()
{
    return [](int interval, bool enabled) { return std::make_unique<TQtTimer>(interval, enabled); };
}

} // namespace ondrix::app
