#include "app/startup/TerminationSignals.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace ondrix::app {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int signalPipe[2] = {-1, -1};

void OnSignal(int signal)
{
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto written = write(signalPipe[1], &byte, 1);
}

} // namespace

TTerminationSignals::TTerminationSignals(std::function<void(int signal)> stop) : stop_(std::move(stop))
{
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (read(signalPipe[0], &byte, 1) == 1)
            if (stop_) stop_(byte);
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking read of standard input (the usage text's
    // wait) returns, so the signal does not wait for the Enter key.
    action.sa_flags = 0;
    for (int signal : kSignals)
        sigaction(signal, &action, nullptr);
}

TTerminationSignals::~TTerminationSignals()
{
    for (int signal : kSignals)
        std::signal(signal, SIG_DFL);
    notifier_.reset();
    for (int& fd : signalPipe) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
}

} // namespace ondrix::app
