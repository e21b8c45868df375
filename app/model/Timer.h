#pragma once

#include <functional>
#include <memory>

namespace ondrix::app {

// A window timer: `Enabled` and `Interval` (ms) can be read and set in any
// order; an interval of 0 gives no ticks even while enabled. Ticks run on the
// GUI thread and never overlap: a tick that comes due while the handler still
// runs (in a prompt's event loop) is dropped. An exception escaping the
// handler goes to the error display (ReportError).
class TTimer
{
  public:
    virtual ~TTimer() = default;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled)
    {
        if (enabled == enabled_) return;
        enabled_ = enabled;
        Restart();
    }

    int Interval() const { return interval_; }
    // Negative intervals count as 0. Setting it restarts the countdown.
    void SetInterval(int ms)
    {
        interval_ = ms < 0 ? 0 : ms;
        Restart();
    }

    // True while ticks come: enabled with an interval.
    bool Ticking() const { return enabled_ && interval_ > 0; }

    std::function<void()> OnTimer;

  protected:
    TTimer(int interval, bool enabled) : interval_(interval < 0 ? 0 : interval), enabled_(enabled) {}
    // The countdown starts again from now with the current settings.
    virtual void Restart() = 0;
    // Runs OnTimer once, guarded against overlap and exceptions.
    void Tick();

  private:
    int interval_;
    bool enabled_;
    bool inHandler_ = false;
};

// Makes the timers an owner needs: Qt timers in the program, a manual clock in tests.
using TTimerFactory = std::function<std::unique_ptr<TTimer>(int interval, bool enabled)>;

// Timers driven by Qt's event loop (precise timers, on the calling thread).
TTimerFactory QtTimers();

} // namespace ondrix::app
