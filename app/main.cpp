#include "app/RealServices.h"
#include "app/dialogs/QtDialogs.h"
#include "app/model/Instrument.h"
#include "app/panel/HelpWindows.h"
#include "app/panel/OndrixApplication.h"
#include "app/panel/TOndrix.h"
#include "app/startup/Startup.h"
#include "app/startup/TerminationSignals.h"

#include <QGuiApplication>
#include <QIcon>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace ondrix::app;

namespace {

// A standard stream the caller closed would be handed to the next file the
// program opens (a sound server socket, say), and "/?" would then read from
// it. A closed input reads as an empty line (Enter); a closed output fails on
// every write (/dev/full), so the usage text reports it as it would a full disk.
void OpenClosedStandardStreams()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) == -1) {
            const char* stand_in = fd == STDIN_FILENO ? "/dev/null" : "/dev/full";
            const int opened = open(stand_in, fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
            if (opened >= 0 && opened != fd) {
                dup2(opened, fd);
                close(opened);
            }
        }
    }
}

// The shutdown steps of a program that Qt ends by exit() (the X connection
// broke, say): they put the master volume back there too.
TStartup* runningStartup = nullptr;

void ShutdownAtExit()
{
    if (runningStartup) runningStartup->FormDestroy();
}

} // namespace

int main(int argc, char** argv)
{
    OpenClosedStandardStreams();
    // The switches are taken as given, before Qt looks at its own options.
    std::vector<std::string> commandLine(argv, argv + argc);

    OndrixApplication::ChoosePlatform();
    OndrixApplication::EndQuietlyOnFatalMessages();
    OndrixApplication app(argc, argv);
    // Ties the window to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName("ondrix");
    QApplication::setWindowIcon(QIcon::fromTheme("ondrix"));
    const bool headless = QGuiApplication::platformName() == "offscreen";

    TOndrixServices services = RealOndrixServices();
    auto dialogs = std::static_pointer_cast<TQtDialogs>(services.Dialogs);
    services.EndProcess = [](int exitCode) { QCoreApplication::exit(exitCode); };

    TInstrument instrument(std::move(services));
    TOndrix window(instrument);
    const auto helpWindows = AttachHelpWindows(window);
    dialogs->SetOwner(&window);
    TStartup startup(instrument, std::move(commandLine), window.Hooks());
    window.OnPowerOff = [&startup] { startup.Quit(0); };
    runningStartup = &startup;
    std::atexit(ShutdownAtExit);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&startup] { startup.FormDestroy(); });

    // A stop from outside runs the shutdown steps too, once the event loop
    // runs; the exit code tells the signal, as a shell reports a process it
    // ended. During the usage text's wait it ends the wait.
    TTerminationSignals stopSignals([&startup](int signal) { startup.Quit(128 + signal); });

    startup.FormCreate();
    int exitCode = 0;
    if (const auto ended = startup.ExitCode()) {
        exitCode = *ended;
    } else if (headless && startup.StartupError()) {
        // Nobody can see the window: a start-up error ends the program.
        startup.Quit(1);
        exitCode = 1;
    } else {
        window.show();
        const int loopResult = app.exec();
        exitCode = startup.ExitCode().value_or(loopResult);
    }
    startup.FormDestroy();
    runningStartup = nullptr;
    return exitCode;
}
