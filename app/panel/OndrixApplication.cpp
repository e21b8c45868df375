#include "app/panel/OndrixApplication.h"

#include "app/model/ErrorReport.h"

#include "common/QtPlatformChoice.h"

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
    common::ChooseOffscreenWithoutDisplay();
}

} // namespace ondrix::app
