#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace ondrix::app {

// A terminal emulator and the arguments that make it run a program.
struct TTerminalCommand
{
    QString Program;
    QStringList Arguments;
};

// How to run `program` with `arguments` in a terminal window: $TERMINAL, the
// desktop's x-terminal-emulator, or a common emulator found on the PATH.
// `find` looks a program name up on the PATH (empty when missing).
std::optional<TTerminalCommand> TerminalCommandFor(const QString& program, const QStringList& arguments,
                                                   const QString& terminalVariable,
                                                   QString (*find)(const QString& name));

// Starts `program` in a new terminal window, detached; throws an error that
// says so when no terminal emulator can be found or started.
void StartInTerminal(const QString& program, const QStringList& arguments);

} // namespace ondrix::app
