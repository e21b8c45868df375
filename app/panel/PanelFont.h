#pragma once

#include <QFont>

namespace ondrix::app {

// The display's small fixed-width face: four status lines fit beside the
// mini graph ("Interface: I/O(0378)" within 128 pixels).
QFont DisplayFont();

// The face of the panel's captions ("Edit", "I/O Address", "COMPort").
QFont CaptionFont();

} // namespace ondrix::app
