#include "app/OndrixApplication.h"
#include "app/QtDialogs.h"
#include "app/TOndrix.h"
#include "app/TerminationSignals.h"

#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace ondrix::app;

namespace {

// A standard stream the caller closed would be handed to the next file the
// program opens (a sound server socket, say), and "/?" would then read from
// it: give closed streams /dev/null instead (reading it is an Enter).
void OpenClosedStandardStreams()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) == -1) {
            const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
            if (opened >= 0 && opened != fd) {
                dup2(opened, fd);
                close(opened);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    OpenClosedStandardStreams();
    // The switches are taken as given, before Qt looks at its own options.
    std::vector<std::string> commandLine(argv, argv + argc);

    OndrixApplication::ChoosePlatform();
    OndrixApplication app(argc, argv);

    TOndrixServices services = RealOndrixServices();
    auto dialogs = std::static_pointer_cast<TQtDialogs>(services.Dialogs);
    services.EndProcess = [](int exitCode) { QCoreApplication::exit(exitCode); };

    TOndrix window(std::move(services), std::move(commandLine));
    dialogs->SetOwner(&window);
    Ondrix = &window;

    // A stop from outside runs the shutdown steps too, once the event loop
    // runs; the exit code tells the signal, as a shell reports a process it
    // ended. During the usage text's wait it ends the wait.
    TTerminationSignals stopSignals([&window](int signal) { window.Quit(128 + signal); });

    window.FormCreate();
    if (const auto exitCode = window.ExitCode()) return *exitCode;
    window.show();
    const int loopResult = app.exec();
    return window.ExitCode().value_or(loopResult);
}
