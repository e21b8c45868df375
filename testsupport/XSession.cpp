#include "testsupport/XSession.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPoint>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

namespace ondrix::testsupport {

XSession::~XSession()
{
    Stop();
}

void XSession::Stop()
{
    if (server_.state() != QProcess::NotRunning) {
        server_.terminate();
        if (!server_.waitForFinished(3000)) server_.kill();
        server_.waitForFinished(3000);
    }
}

bool XSession::Start()
{
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    xdotool_ = QStandardPaths::findExecutable("xdotool");
    if (xvfb.isEmpty() || xdotool_.isEmpty()) {
        whyUnavailable_ = "Xvfb or xdotool is not installed; the X server test is skipped";
        return false;
    }
    for (int number = 91; number < 200; ++number) {
        if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)) ||
            QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
            continue;
        display_ = QStringLiteral(":%1").arg(number);
        server_.start(xvfb, {display_, "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        if (!server_.waitForStarted(5000)) break;
        for (int i = 0; i < 200; ++i) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number))) return true;
            if (server_.waitForFinished(25)) break; // the number was taken after all: try the next one
        }
    }
    whyUnavailable_ = "Xvfb did not start";
    return false;
}

QProcessEnvironment XSession::Environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display_);
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    return environment;
}

QString XSession::Xdotool(const QStringList& arguments) const
{
    QProcess process;
    process.setProcessEnvironment(Environment());
    process.start(xdotool_, arguments);
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

QString XSession::WaitForWindow(const QString& titlePattern, int timeoutMs) const
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        const QString found = Xdotool({"search", "--onlyvisible", "--name", titlePattern}).section('\n', 0, 0);
        if (!found.isEmpty()) return found;
        QThread::msleep(50);
    }
    return {};
}

QPoint XSession::WindowPosition(const QString& window) const
{
    static const QRegularExpression position(R"(Position: (-?\d+),(-?\d+))");
    const QRegularExpressionMatch match = position.match(Xdotool({"getwindowgeometry", window}));
    return match.hasMatch() ? QPoint(match.captured(1).toInt(), match.captured(2).toInt()) : QPoint();
}

QString XSession::Clipboard() const
{
    QProcess xclip;
    xclip.setProcessEnvironment(Environment());
    xclip.start("xclip", {"-selection", "clipboard", "-o"});
    if (!xclip.waitForFinished(5000)) return {};
    return QString::fromUtf8(xclip.readAllStandardOutput());
}

} // namespace ondrix::testsupport
