#pragma once

#include "platform/GlobalAtoms.h"
#include "platform/SettingsStore.h"

namespace ondrix::app {

// The "/atom" flag's clean-up: every atom booked in the atom table by a
// waiting "/atom=N" is deleted once, if it still has the booked name, and its
// booking removed. Throws when the table's folder cannot be used. Returns the
// number of bookings removed. Stops early when a booking cannot be removed,
// so no atom loses more than the one reference its booking stands for.
int DeleteBookedAtoms(platform::VolatileValues& atomTable, platform::GlobalAtoms& atoms);

} // namespace ondrix::app
