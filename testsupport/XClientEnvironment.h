#pragma once

// For tests that run a program on a private X server: the environment that
// points it at the server with a home and runtime folder of its own, and the
// stop that ends it by its process id.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

namespace ondrix::testsupport {

inline QProcessEnvironment XClientEnvironment(const QString& display, const QString& home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display);
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    environment.insert("HOME", home);
    const QString runtime = QDir(home).filePath("run");
    QDir(home).mkpath("run");
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    environment.insert("XDG_RUNTIME_DIR", runtime);
    return environment;
}

inline void StopProcess(QProcess& process)
{
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(3000)) process.kill();
    process.waitForFinished(3000);
}

} // namespace ondrix::testsupport
