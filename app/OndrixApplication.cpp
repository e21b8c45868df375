#include "app/OndrixApplication.h"

#include <QThread>
#include <cstdio>
#include <cstdlib>

namespace ondrix::app {

namespace {

struct InstalledHandler
{
    const void* owner = nullptr;
    OndrixApplication::ExceptionHandler handler;
};

InstalledHandler& Installed()
{
    static InstalledHandler installed;
    return installed;
}

std::string MessageOf(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown error";
    }
}

} // namespace

OndrixApplication::OndrixApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool OndrixApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
}

void OndrixApplication::ChoosePlatform()
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

void OndrixApplication::SetExceptionHandler(const void* owner, ExceptionHandler handler)
{
    Installed() = {owner, std::move(handler)};
}

void OndrixApplication::ClearExceptionHandler(const void* owner)
{
    if (Installed().owner == owner) Installed() = {};
}

void OndrixApplication::HandleException(std::exception_ptr error)
{
    const std::string message = MessageOf(error);
    const bool guiThread =
        QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
    if (guiThread && Installed().handler) {
        Installed().handler(message);
        return;
    }
    std::fprintf(stderr, "ondrix: %s\n", message.c_str());
}

} // namespace ondrix::app
