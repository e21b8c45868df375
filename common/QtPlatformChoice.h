// Which Qt platform a program runs on when it was not told: Qt aborts when it
// finds no display, so programs that must also work on servers and in CI
// choose the offscreen platform then. Call before the application object exists.
#pragma once

#include <cstdlib>

namespace ondrix::common {

// A display to open windows on, or a platform the user chose.
inline bool HasDisplayOrPlatform()
{
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
}

// Qt's offscreen platform unless the user chose one.
inline void UseOffscreenUnlessChosen()
{
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

// The offscreen platform when there is neither a display nor a chosen platform.
inline void ChooseOffscreenWithoutDisplay()
{
    if (!HasDisplayOrPlatform()) UseOffscreenUnlessChosen();
}

} // namespace ondrix::common
