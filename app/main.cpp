#include "app/OndrixApplication.h"
#include "app/QtDialogs.h"
#include "app/TOndrix.h"

#include <string>
#include <vector>

using namespace ondrix::app;

int main(int argc, char** argv)
{
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

    window.FormCreate();
    if (const auto exitCode = window.ExitCode()) return *exitCode;
    window.show();
    const int loopResult = app.exec();
    return window.ExitCode().value_or(loopResult);
}
