#pragma once

#include "app/panel/Commands.h"

#include <QAction>
#include <QObject>
#include <functional>
#include <map>

namespace ondrix::app {

// One action per command with its caption, shared by the panel's controls,
// its menus and its keys. A handler's error goes to the error display.
class TPanelActions
{
  public:
    explicit TPanelActions(QObject* owner);

    QAction* operator[](TCommand command) const { return actions_.at(command); }
    // The command's handler, run guarded on every trigger.
    void Bind(TCommand command, std::function<void()> handler);

  private:
    std::map<TCommand, QAction*> actions_;
};

} // namespace ondrix::app
