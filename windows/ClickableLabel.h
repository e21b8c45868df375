#pragma once

#include <QLabel>
#include <functional>

namespace ondrix::windows {

// A label that runs an action when clicked with the left button.
class ClickableLabel : public QLabel
{
  public:
    ClickableLabel(QWidget* parent, std::function<void()> onClick);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    std::function<void()> onClick_;
};

} // namespace ondrix::windows
