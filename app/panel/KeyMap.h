#pragma once

#include "app/panel/Commands.h"

#include <QChar>
#include <optional>

namespace ondrix::app {

// The command of a typed character, taken in upper case ("s" is "S"); nullopt
// for a key that does nothing. The 10000 Hz button has no key.
std::optional<TCommand> KeyCommand(QChar typed);

} // namespace ondrix::app
