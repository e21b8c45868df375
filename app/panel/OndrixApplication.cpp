#include "app/panel/OndrixApplication.h"

#include "app/model/ErrorReport.h"

#include "common/QtPlatformChoice.h"

#include <cstdio>
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

namespace {

QtMessageHandler qtMessageHandler = nullptr;

void EndOnFatalMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "ondrix: cannot go on: %s\n", message.toLocal8Bit().constData());
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (qtMessageHandler) qtMessageHandler(type, context, message);
}

} // namespace

void OndrixApplication::EndQuietlyOnFatalMessages()
{
    qtMessageHandler = qInstallMessageHandler(EndOnFatalMessage);
}

void OndrixApplication::ChoosePlatform()
{
    common::ChooseOffscreenWithoutDisplay();
}

} // namespace ondrix::app
