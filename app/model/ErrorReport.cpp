#include "app/model/ErrorReport.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>

namespace ondrix::app {

namespace {

struct InstalledHandler
{
    const void* owner = nullptr;
    TErrorHandler handler;
};

InstalledHandler& Installed()
{
    static InstalledHandler installed;
    return installed;
}

bool OnGuiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace

void SetErrorHandler(const void* owner, TErrorHandler handler)
{
    Installed() = {owner, std::move(handler)};
}

void ClearErrorHandler(const void* owner)
{
    if (Installed().owner == owner) Installed() = {};
}

std::string ErrorMessage(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown error";
    }
}

std::string ErrorLine(const std::string& message, const std::string& origin)
{
    return "ondrix: " + (origin.empty() ? "" : origin + ": ") + message;
}

void ReportError(std::exception_ptr error, const std::string& origin)
{
    const std::string message = ErrorMessage(error);
    if (OnGuiThread() && Installed().handler) {
        Installed().handler(message, origin);
        return;
    }
    std::fprintf(stderr, "%s\n", ErrorLine(message, origin).c_str());
}

} // namespace ondrix::app
