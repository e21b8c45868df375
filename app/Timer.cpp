#include "app/Timer.h"

#include "app/OndrixApplication.h"

namespace ondrix::app {

TTimer::TTimer(QObject* parent, int interval, bool enabled)
    : QObject(parent), interval_(interval < 0 ? 0 : interval), enabled_(enabled)
{
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    Update();
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Update();
}

void TTimer::SetInterval(int ms)
{
    interval_ = ms < 0 ? 0 : ms;
    Update();
}

void TTimer::Update()
{
    timer_.stop();
    if (enabled_ && interval_ > 0) timer_.start(interval_);
}

void TTimer::Tick()
{
    if (inHandler_ || !OnTimer) return;
    inHandler_ = true;
    try {
        OnTimer();
    } catch (...) {
        OndrixApplication::HandleException(std::current_exception());
    }
    inHandler_ = false;
}

} // namespace ondrix::app
