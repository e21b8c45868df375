#include "testsupport/XSession.h"

#include <QDir>
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

void StopProcess(QProcess& process)
{
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(3000)) process.kill();
    process.waitForFinished(3000);
}

void XSession::Stop()
{
    StopProcess(server_);
}

bool XSession::Installed()
{
    return !QStandardPaths::findExecutable("Xvfb").isEmpty() &&
           !QStandardPaths::findExecutable("xdotool").isEmpty();
}

bool XSession::Start()
{
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    xdotool_ = QStandardPaths::findExecutable("xdotool");
    if (!Installed()) {
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

QProcessEnvironment XSession::Environment(const QString& home) const
{
    QProcessEnvironment environment = Environment();
    environment.insert("HOME", home);
    const QString runtime = QDir(home).filePath("run");
    QDir(home).mkpath("run");
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    environment.insert("XDG_RUNTIME_DIR", runtime);
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
