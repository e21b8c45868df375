#pragma once

#include "app/panel/TOndrix.h"
#include "windows/AuxiliaryWindows.h"

#include <memory>

namespace ondrix::app {

// The manual, the about box, the amplifier circuit and the pinouts, made
// after the main window and shown from its display menu's Help entries.
// Their errors go to the main window's display.
std::unique_ptr<windows::AuxiliaryWindows> AttachHelpWindows(TOndrix& window);

} // namespace ondrix::app
