#pragma once

#include "app/model/Services.h"

namespace ondrix::app {

// The real facilities: the process-wide sound device, termios serial lines,
// /dev/port, the tmpfs atom table and settings store, Qt dialogs and timers,
// stdin/stdout. EndProcess must still be set by the caller.
TOndrixServices RealOndrixServices();

} // namespace ondrix::app
