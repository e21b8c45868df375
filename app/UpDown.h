#pragma once

#include <QWidget>
#include <functional>

class QToolButton;

namespace ondrix::app {

enum class TUDBtnType { btNext, btPrev }; // up arrow, down arrow

// An up/down control: two stacked arrow buttons that step a position within
// Min…Max by Increment, without wrapping. A click moves the position first and
// then calls OnClick; setting Position from the program calls nothing.
class TUpDown : public QWidget
{
  public:
    TUpDown(QWidget* parent, int min, int max, int increment, int position);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Increment() const { return increment_; }
    int Position() const { return position_; }
    // Kept within Min…Max.
    void SetPosition(int position);

    // Steps as a click on that arrow does (tests and keyboard use this too).
    void Click(TUDBtnType button);

    std::function<void(TUDBtnType button)> OnClick;

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    int min_;
    int max_;
    int increment_;
    int position_;
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace ondrix::app
