#pragma once

#include <QApplication>
#include <exception>
#include <functional>
#include <string>

namespace ondrix::app {

// The application object. An exception that escapes any event handler, timer
// or prompt is not fatal: its message goes to the error handler (the main
// window's display) and the program goes on.
class OndrixApplication : public QApplication
{
  public:
    OndrixApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Qt aborts without a display: run on the offscreen platform when neither
    // DISPLAY nor WAYLAND_DISPLAY nor QT_QPA_PLATFORM is set. Call before
    // the application object exists.
    static void ChoosePlatform();

    // The receiver of unhandled error messages (GUI thread only); with none
    // installed they go to standard error.
    using ExceptionHandler = std::function<void(const std::string& message)>;
    static void SetExceptionHandler(const void* owner, ExceptionHandler handler);
    // Removes the handler if `owner` installed it.
    static void ClearExceptionHandler(const void* owner);

    // Reports an exception that nothing else handled.
    static void HandleException(std::exception_ptr error);

    // Runs `action` and reports an exception escaping it.
    template <typename Action> static void Guarded(Action&& action)
    {
        try {
            action();
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
};

} // namespace ondrix::app
