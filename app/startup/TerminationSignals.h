#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace ondrix::app {

// Turns SIGTERM, SIGINT and SIGHUP into a call on the GUI thread, so that a
// program stopped from a terminal or a script still runs its shutdown steps
// (and puts the volume back). One instance per process. A blocking read of
// standard input is interrupted by these signals.
class TTerminationSignals : public QObject
{
  public:
    // `stop` receives the signal number.
    explicit TTerminationSignals(std::function<void(int signal)> stop);
    ~TTerminationSignals() override;

  private:
    std::function<void(int)> stop_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace ondrix::app
