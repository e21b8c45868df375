#pragma once

#include <QAbstractButton>

namespace ondrix::app {

// A button laid over the panel's artwork: the artwork draws the button, this
// adds its caption (if any), a light when the pointer is over it and a shade
// while it is pressed, and a focus ring for the keyboard.
class TPanelButton : public QAbstractButton
{
  public:
    TPanelButton(QWidget* parent, const QString& caption, const QString& hint);

    QSize sizeHint() const override { return size(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    bool hovered_ = false;
};

} // namespace ondrix::app
