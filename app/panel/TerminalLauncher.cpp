#include "app/panel/TerminalLauncher.h"

#include <QProcess>
#include <QStandardPaths>
#include <stdexcept>

namespace ondrix::app {

namespace {

// Emulators and the option after which the command follows.
struct TKnownTerminal
{
    const char* name;
    const char* commandOption;
};

constexpr TKnownTerminal kKnownTerminals[] = {
    {"x-terminal-emulator", "-e"}, {"gnome-terminal", "--"}, {"konsole", "-e"},   {"xfce4-terminal", "-x"},
    {"mate-terminal", "-x"},       {"lxterminal", "-e"},     {"kitty", "--"},     {"alacritty", "-e"},
    {"foot", "--"},                {"terminator", "-x"},     {"tilix", "-e"},     {"xterm", "-e"},
};

QString OptionFor(const QString& terminal)
{
    const QString name = terminal.section('/', -1);
    for (const TKnownTerminal& known : kKnownTerminals) {
        if (name == known.name) return known.commandOption;
    }
    return "-e";
}

QString FindOnPath(const QString& name)
{
    return QStandardPaths::findExecutable(name);
}

} // namespace

std::optional<TTerminalCommand> TerminalCommandFor(const QString& program, const QStringList& arguments,
                                                   const QString& terminalVariable,
                                                   QString (*find)(const QString& name))
{
    QStringList candidates;
    if (!terminalVariable.trimmed().isEmpty()) candidates << terminalVariable.trimmed();
    for (const TKnownTerminal& known : kKnownTerminals)
        candidates << known.name;
    for (const QString& candidate : candidates) {
        const QString path = candidate.contains('/') ? candidate : find(candidate);
        if (path.isEmpty()) continue;
        return TTerminalCommand{path, QStringList{OptionFor(candidate), program} + arguments};
    }
    return std::nullopt;
}

void StartInTerminal(const QString& program, const QStringList& arguments)
{
    const auto command =
        TerminalCommandFor(program, arguments, qEnvironmentVariable("TERMINAL"), &FindOnPath);
    if (!command) throw std::runtime_error("No terminal emulator found to show the command-line syntax");
    if (!QProcess::startDetached(command->Program, command->Arguments))
        throw std::runtime_error("Could not start " + command->Program.toStdString());
}

} // namespace ondrix::app
