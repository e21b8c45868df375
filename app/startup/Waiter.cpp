#include "app/startup/Waiter.h"

#include "app/model/ErrorReport.h"

#include <limits>
#include <stdexcept>
#include <string>

namespace ondrix::app {

TWaiter::TWaiter(std::int32_t n, std::shared_ptr<platform::GlobalAtoms> atoms,
                 std::shared_ptr<platform::VolatileValues> atomTable, std::function<void()> finished)
    : atoms_(std::move(atoms)), atomTable_(std::move(atomTable)), finished_(std::move(finished))
{
    thread_ = std::thread([this, n] { Run(n); });
}

TWaiter::~TWaiter()
{
    Stop();
}

void TWaiter::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool TWaiter::Sleep(std::chrono::milliseconds duration)
{
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, duration, [this] { return stopping_; });
}

void TWaiter::Run(std::int32_t n)
{
    if (n >= 0) {
        if (!Sleep(std::chrono::milliseconds(n))) return;
    } else {
        WaitForAtom(-static_cast<std::int64_t>(n));
        std::lock_guard lock(mutex_);
        if (stopping_) return;
    }
    if (finished_) finished_();
}

void TWaiter::WaitForAtom(std::int64_t atom)
{
    const std::string bookName = std::to_string(atom);
    const bool isAtomNumber = atom <= std::numeric_limits<std::uint16_t>::max();
    bool bookingReported = false;
    for (;;) {
        const std::string name =
            isAtomNumber && atoms_ ? atoms_->Name(static_cast<std::uint16_t>(atom)) : std::string();
        if (name.empty()) break;
        std::string why;
        if (atomTable_ && !atomTable_->Set(bookName, name, &why) && !bookingReported) {
            // Without its booking "/atom" cannot end this wait: say so, once.
            bookingReported = true;
            ReportError(std::make_exception_ptr(std::runtime_error(why)), "/atom=" + bookName);
        }
        if (!Sleep(kAtomPollInterval)) break;
    }
    if (atomTable_) atomTable_->Delete(bookName);
}

} // namespace ondrix::app
