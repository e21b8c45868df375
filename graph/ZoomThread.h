// TZoomThread: animates a change of the visible range. A worker thread
// computes each intermediate range and hands it to the GUI thread, waiting
// until the graph has applied and painted it; each step advances by the time
// the previous one took, so every animation lasts about the zoom time.
#pragma once

#include "graph/GraphTypes.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace ondrix::graph {

class TZoomThread
{
  public:
    // Starts at once. `wake` is called on the worker thread after each
    // hand-over; it must make the GUI thread call ApplyPendingStep soon.
    TZoomThread(const TEGRange& current, const TEGRange& target, int durationMs, int initialElapsedMs,
                std::function<void()> wake);
    // Asks the worker to stop and waits for it; a step still handed over is
    // discarded.
    ~TZoomThread();
    TZoomThread(const TZoomThread&) = delete;
    TZoomThread& operator=(const TZoomThread&) = delete;

    // GUI thread: applies the step handed over, if any, through `apply`, then
    // lets the worker go on. True when that was the last step.
    bool ApplyPendingStep(const std::function<void(const TEGRange&)>& apply);

    const TEGRange& Target() const { return target_; }

  private:
    void Run();
    // False when a stop was requested.
    bool HandOver(const TEGRange& range, bool last);

    const TEGRange start_;
    const TEGRange target_;
    const double duration_;
    const double initialElapsed_;
    const std::function<void()> wake_;

    std::mutex mutex_;
    std::condition_variable applied_;
    bool stopRequested_ = false;
    bool stepPending_ = false;
    bool stepApplied_ = false;
    bool pendingIsLast_ = false;
    TEGRange pending_;

    std::thread worker_; // last: starts after everything above is set
};

} // namespace ondrix::graph
