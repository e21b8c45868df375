// A stand-in main window with the Help menu that shows the auxiliary windows,
// its errors in a display line. With --screenshots DIR it saves a picture of
// every window (with a page and a pinout loaded) to DIR and exits.
#include "windows/AuxiliaryWindows.h"
#include "windows/TAboutBox.h"
#include "windows/TAmplifierCircuit.h"
#include "windows/THelp.h"
#include "windows/TPinouts.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace ondrix::windows;

namespace {

int SaveScreenshots(AuxiliaryWindows& windows, const QString& folder)
{
    QDir().mkpath(folder);
    bool saved = true;
    const auto save = [&](QWidget& window, const QString& name) {
        window.show();
        QApplication::processEvents();
        saved = window.grab().save(QDir(folder).filePath(name + ".png")) && saved;
        window.hide();
    };
    save(windows.Help(), "help-hint");
    for (int page = 0; page < windows.Help().Contents().count(); ++page) {
        windows.Help().LoadPage(page);
        save(windows.Help(), QStringLiteral("help-page%1").arg(page + 1));
    }
    for (int index = 0; index < 3; ++index) {
        windows.Pinouts().LoadPicture(index);
        save(windows.Pinouts(), QStringLiteral("pinouts%1").arg(index));
    }
    windows.Amplifier().resize(1000, 700);
    save(windows.Amplifier(), "amplifier");
    windows.ShowAbout(QStringLiteral("Ondrix"));
    save(windows.About(), "about");
    return saved ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    QMainWindow main;
    main.setWindowTitle(QStringLiteral("Ondrix windows"));
    auto* display = new QLabel(QStringLiteral("Ready"), &main);
    display->setMargin(8);
    main.setCentralWidget(display);
    main.resize(360, 120);

    AuxiliaryWindows windows({[display](const std::string& message) {
                                  display->setText(QString::fromStdString(message));
                                  std::printf("error %s\n", message.c_str());
                                  std::fflush(stdout);
                              },
                              {}});
    if (argc == 3 && std::strcmp(argv[1], "--screenshots") == 0)
        return SaveScreenshots(windows, QString::fromLocal8Bit(argv[2]));

    QMenu* help = main.menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("Manual"), [&windows] { windows.ShowManual(); });
    help->addAction(QStringLiteral("About Ondrix"),
                    [&windows] { windows.ShowAbout(QStringLiteral("Ondrix")); });
    help->addAction(QStringLiteral("Voltage Amplifier"), [&windows] { windows.ShowAmplifier(); });
    help->addAction(QStringLiteral("Pinouts"), [&windows] { windows.ShowPinouts(); });
    help->addAction(QStringLiteral("Command-line Syntax"));
    main.show();
    return app.exec();
}
