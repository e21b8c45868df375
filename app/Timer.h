#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace ondrix::app {

// A window timer: `Enabled` and `Interval` (ms) can be read and set in any
// order; an interval of 0 gives no ticks even while enabled. Ticks run on the
// GUI thread; a tick that comes due while the handler is still running (in a
// prompt's event loop) is dropped, so a handler never overlaps itself. An
// exception escaping the handler goes to the application's error display.
class TTimer : public QObject
{
  public:
    explicit TTimer(QObject* parent = nullptr, int interval = 1000, bool enabled = true);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    int Interval() const { return interval_; }
    // Negative intervals count as 0. Setting it restarts the countdown.
    void SetInterval(int ms);

    std::function<void()> OnTimer;

  private:
    void Update();
    void Tick();

    QTimer timer_;
    int interval_;
    bool enabled_;
    bool inHandler_ = false;
};

} // namespace ondrix::app
