#include "app/panel/OndrixApplication.h"

#include "app/model/ErrorReport.h"

#include <cstdlib>

namespace ondrix::app {

OndrixApplication::OndrixApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool OndrixApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportError(std::current_exception());
        return false;
    }
}

void OndrixApplication::ChoosePlatform()
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

} // namespace ondrix::app
