#include "app/startup/AtomBook.h"

#include "app/model/NumberText.h"

#include <limits>

namespace ondrix::app {

int DeleteBookedAtoms(platform::VolatileValues& atomTable, platform::GlobalAtoms& atoms)
{
    constexpr int kMaxPasses = 65536;
    int removed = 0;
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        const auto booking = atomTable.First();
        if (!booking) break;
        const std::int32_t atom = TryStrToInt(booking->first).value_or(0);
        if (atom > 0 && atom <= std::numeric_limits<std::uint16_t>::max())
            atoms.Delete(static_cast<std::uint16_t>(atom));
        if (!atomTable.Delete(booking->first)) break;
        ++removed;
    }
    return removed;
}

} // namespace ondrix::app
