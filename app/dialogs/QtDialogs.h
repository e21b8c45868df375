#pragma once

#include "app/model/Dialogs.h"

#include <QPointer>
#include <QWidget>

namespace ondrix::app {

// The dialogs as Qt shows them, modal to the owner window.
class TQtDialogs : public TDialogs
{
  public:
    void SetOwner(QWidget* owner) { owner_ = owner; }

    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    TMsgResult MessageBox(const QString& caption, const QString& text, TMsgIcon icon,
                          TMsgButtons buttons) override;
    std::optional<QString> SaveFileName(const TSaveDialogOptions& options) override;

  private:
    QPointer<QWidget> owner_;
};

} // namespace ondrix::app
