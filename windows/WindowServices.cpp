#include "windows/WindowServices.h"

#include <QDesktopServices>
#include <QWidget>
#include <iostream>

namespace ondrix::windows {

WindowServices WithDefaults(WindowServices services)
{
    if (!services.showError)
        services.showError = [](const std::string& message) { std::cerr << message << '\n'; };
    if (!services.openUrl) services.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return services;
}

void MakeAuxiliary(QWidget& window)
{
    // Closing hides (no delete-on-close); with the main window hidden by
    // "/hide", closing this last visible window must not quit either.
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.setAttribute(Qt::WA_QuitOnClose, false);
}

} // namespace ondrix::windows
