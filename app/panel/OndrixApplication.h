#pragma once

#include <QApplication>

namespace ondrix::app {

// The application object. An exception that escapes any event handler, timer
// or prompt is not fatal: its message goes to the error display and the
// program goes on.
class OndrixApplication : public QApplication
{
  public:
    OndrixApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Qt aborts without a display: run on the offscreen platform when neither
    // DISPLAY nor WAYLAND_DISPLAY nor QT_QPA_PLATFORM is set. Call before
    // the application object exists.
    static void ChoosePlatform();

    // A Qt that cannot start (a platform plugin that cannot be loaded) ends
    // the program with a message and exit code 1 instead of aborting.
    static void EndQuietlyOnFatalMessages();
};

} // namespace ondrix::app
