#pragma once

#include <QUrl>
#include <functional>
#include <string>

class QWidget;

namespace ondrix::windows {

// What the auxiliary windows need from the program around them.
struct WindowServices
{
    // Shows an error the way the program shows every unhandled one (in the
    // main window's display).
    std::function<void(const std::string&)> showError;
    // Opens an address with the desktop's URL handler; false when that failed.
    std::function<bool(const QUrl&)> openUrl;
};

// Fills what was left empty: errors go to stderr, addresses to QDesktopServices.
WindowServices WithDefaults(WindowServices services);

// Auxiliary windows only hide when closed and never end the program.
void MakeAuxiliary(QWidget& window);

} // namespace ondrix::windows
