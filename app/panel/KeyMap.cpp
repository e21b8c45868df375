#include "app/panel/KeyMap.h"

namespace ondrix::app {

namespace {

struct TKey
{
    char key;
    TCommand command;
};

constexpr TKey kKeys[] = {
    {'!', TCommand::Digit1},      {'@', TCommand::Digit10},        {'#', TCommand::Digit100},
    {'$', TCommand::Digit1000},   {'~', TCommand::Sine},           {'S', TCommand::Square},
    {'\\', TCommand::Triangle},   {'/', TCommand::Sawtooth},       {'N', TCommand::Noise},
    {'B', TCommand::SaveToBatchFile}, {'R', TCommand::Record},
};

} // namespace

std::optional<TCommand> KeyCommand(QChar typed)
{
    const QChar upper = typed.toUpper();
    for (const TKey& key : kKeys) {
        if (upper == QChar(key.key)) return key.command;
    }
    return std::nullopt;
}

} // namespace ondrix::app
