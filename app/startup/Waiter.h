#pragma once

#include "platform/GlobalAtoms.h"
#include "platform/SettingsStore.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace ondrix::app {

// The automatic quit of "/autoquit" and "/atom": a thread that waits, then
// calls `finished` on its own thread (the owner hands the shutdown to the GUI
// thread from there).
//   n >= 0: wait n milliseconds.
//   n <  0: wait while the global atom |n| exists, checking every 127 ms and
//           booking its name under the value named |n| in the atom table so
//           that the "/atom" flag can delete it; the booking is removed after.
// Destroying the waiter stops the wait early (the booking is still removed)
// without calling `finished`.
class TWaiter
{
  public:
    static constexpr std::chrono::milliseconds kAtomPollInterval{127};

    TWaiter(std::int32_t n, std::shared_ptr<platform::GlobalAtoms> atoms,
            std::shared_ptr<platform::VolatileValues> atomTable, std::function<void()> finished);
    ~TWaiter();

    TWaiter(const TWaiter&) = delete;
    TWaiter& operator=(const TWaiter&) = delete;

    // Ends the wait without calling `finished` and joins the thread.
    void Stop();

  private:
    void Run(std::int32_t n);
    void WaitForAtom(std::int64_t atom);
    // Sleeps; false when stopped meanwhile.
    bool Sleep(std::chrono::milliseconds duration);

    std::shared_ptr<platform::GlobalAtoms> atoms_;
    std::shared_ptr<platform::VolatileValues> atomTable_;
    std::function<void()> finished_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace ondrix::app
