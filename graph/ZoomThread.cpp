#include "graph/ZoomThread.h"

#include <chrono>

namespace ondrix::graph {

TZoomThread::TZoomThread(const TEGRange& current, const TEGRange& target, int durationMs,
                         int initialElapsedMs, std::function<void()> wake)
    : start_(current), target_(target), duration_(durationMs), initialElapsed_(initialElapsedMs),
      wake_(std::move(wake)), worker_([this] { Run(); })
{
}

TZoomThread::~TZoomThread()
{
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    applied_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void TZoomThread::Run()
{
    using Clock = std::chrono::steady_clock;
    // Per millisecond, for each of the four values.
    const long double rateXMin = (target_.XMin - start_.XMin) / duration_;
    const long double rateYMin = (target_.YMin - start_.YMin) / duration_;
    const long double rateXMax = (target_.XMax - start_.XMax) / duration_;
    const long double rateYMax = (target_.YMax - start_.YMax) / duration_;

    double elapsed = initialElapsed_;
    for (;;) {
        const auto stepStart = Clock::now();
        const bool last = elapsed >= duration_;
        TEGRange step = target_; // the last step lands exactly on the target
        if (!last) {
            step.XMin = start_.XMin + rateXMin * elapsed;
            step.YMin = start_.YMin + rateYMin * elapsed;
            step.XMax = start_.XMax + rateXMax * elapsed;
            step.YMax = start_.YMax + rateYMax * elapsed;
        }
        if (!HandOver(step, last) || last) return;
        elapsed += std::chrono::duration<double, std::milli>(Clock::now() - stepStart).count();
    }
}

bool TZoomThread::HandOver(const TEGRange& range, bool last)
{
    {
        std::lock_guard lock(mutex_);
        if (stopRequested_) return false;
        pending_ = range;
        pendingIsLast_ = last;
        stepPending_ = true;
        stepApplied_ = false;
    }
    wake_();
    std::unique_lock lock(mutex_);
    applied_.wait(lock, [this] { return stepApplied_ || stopRequested_; });
    return !stopRequested_;
}

bool TZoomThread::ApplyPendingStep(const std::function<void(const TEGRange&)>& apply)
{
    TEGRange range;
    bool last = false;
    {
        std::lock_guard lock(mutex_);
        if (stopRequested_ || !stepPending_) return false;
        range = pending_;
        last = pendingIsLast_;
        stepPending_ = false;
    }
    // Applied and painted without the lock: the worker is waiting anyway.
    apply(range);
    {
        std::lock_guard lock(mutex_);
        stepApplied_ = true;
    }
    applied_.notify_all();
    return last;
}

} // namespace ondrix::graph
