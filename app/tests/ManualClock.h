#pragma once

#include "app/model/Timer.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace ondrix::app::testing {

// Time that passes only when a test says so: the timers it makes tick, in
// time order, as Advance moves the clock across their due times.
class TManualClock
{
  public:
    TManualClock() : state_(std::make_shared<State>()) {}

    TTimerFactory Timers()
    {
        return [state = state_](int interval, bool enabled) -> std::unique_ptr<TTimer> {
            return std::make_unique<TManualTimer>(state, interval, enabled);
        };
    }

    long long Now() const { return state_->now; }

    // Moves the clock forward, running every tick that comes due on the way.
    void Advance(long long ms)
    {
        const long long target = state_->now + ms;
        for (;;) {
            TManualTimer* next = nullptr;
            for (TManualTimer* timer : state_->timers) {
                if (timer->Ticking() && timer->due <= target && (!next || timer->due < next->due)) next = timer;
            }
            if (!next) break;
            state_->now = next->due;
            next->due += next->Interval();
            next->Fire();
        }
        state_->now = target;
    }

  private:
    struct State;

    class TManualTimer : public TTimer
    {
      public:
        TManualTimer(std::shared_ptr<State> state, int interval, bool enabled)
            : TTimer(interval, enabled), state_(std::move(state))
        {
            state_->timers.push_back(this);
            Restart();
        }
        ~TManualTimer() override { std::erase(state_->timers, this); }

        void Fire() { Tick(); }
        long long due = 0;

      private:
        void Restart() override { due = state_->now + Interval(); }
        std::shared_ptr<State> state_;
    };

    struct State
    {
        long long now = 0;
        std::vector<TManualTimer*> timers;
    };

    std::shared_ptr<State> state_;
};

} // namespace ondrix::app::testing
