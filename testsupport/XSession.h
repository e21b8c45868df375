#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace ondrix::testsupport {

// A private X server (Xvfb) on a free display number, with xdotool to act on
// it as a user would and xclip to read its clipboard. The destructor stops
// the server by its process id.
//
//   XSession x;
//   if (!x.Start()) GTEST_SKIP() << x.WhyUnavailable();
class XSession
{
  public:
    XSession() = default;
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // Whether Xvfb and xdotool are installed; without them Start fails.
    static bool Installed();
    bool Start();
    // Ends the X server, as when a session ends under its programs.
    void Stop();
    const QString& WhyUnavailable() const { return whyUnavailable_; }
    const QString& Display() const { return display_; }

    // The calling process's environment pointed at this display (no Wayland,
    // no platform override), for the programs a test starts.
    QProcessEnvironment Environment() const;
    // As above, with `home` as the program's home and a private runtime
    // folder inside it, so that it finds no settings of the user's.
    QProcessEnvironment Environment(const QString& home) const;

    // Runs xdotool with these arguments; its standard output, trimmed.
    QString Xdotool(const QStringList& arguments) const;
    // The first visible window whose title matches the pattern, waiting up to
    // the timeout for it; empty when none came.
    QString WaitForWindow(const QString& titlePattern, int timeoutMs = 10000) const;
    // The window's position on the screen.
    QPoint WindowPosition(const QString& window) const;
    // The clipboard's text (xclip), or empty.
    QString Clipboard() const;

  private:
    QString xdotool_;
    QString whyUnavailable_;
    QString display_;
    QProcess server_;
};

// Ends a program a test started: asked first, killed when it does not go.
void StopProcess(QProcess& process);

} // namespace ondrix::testsupport
