#pragma once

#include <string>

namespace ondrix::app {

// The text "/?" prints: its lines are ended by "\n" except the last, which is
// the prompt "Press enter to close this console...".
std::string UsageText(const std::string& programFileName);

} // namespace ondrix::app
