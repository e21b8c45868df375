#pragma once

#include <QWidget>
#include <functional>

class QToolButton;

namespace ondrix::app {

enum class TUDBtnType { btNext, btPrev }; // up arrow, down arrow

// An up/down control: two stacked arrow buttons that repeat while held. The
// position they step is the owner's; a click only calls OnClick.
class TUpDown : public QWidget
{
  public:
    TUpDown(QWidget* parent, const QString& hint);

    std::function<void(TUDBtnType button)> OnClick;

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace ondrix::app
