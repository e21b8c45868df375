#include "app/startup/AtomBook.h"

#include "app/model/NumberText.h"

#include <limits>
#include <stdexcept>

namespace ondrix::app {

int DeleteBookedAtoms(platform::VolatileValues& atomTable, platform::GlobalAtoms& atoms)
{
    // A book that cannot be read is no empty book: "/atom" must not report success.
    if (const auto problem = atomTable.FolderProblem()) throw std::runtime_error(*problem);
    constexpr int kMaxPasses = 65536;
    int removed = 0;
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        const auto booking = atomTable.First();
        if (!booking) break;
        const std::int32_t atom = TryStrToInt(booking->first).value_or(0);
        // A stale booking's number may have gone to another job since: only
        // the token that still has the booked name is deleted.
        if (atom > 0 && atom <= std::numeric_limits<std::uint16_t>::max())
            atoms.DeleteIfNamed(static_cast<std::uint16_t>(atom), booking->second);
        if (!atomTable.Delete(booking->first)) break;
        ++removed;
    }
    return removed;
}

} // namespace ondrix::app
