#include "app/UpDown.h"

#include <QToolButton>
#include <algorithm>

namespace ondrix::app {

TUpDown::TUpDown(QWidget* parent, int min, int max, int increment, int position)
    : QWidget(parent), min_(min), max_(max), increment_(increment), position_(std::clamp(position, min, max)),
      up_(new QToolButton(this)), down_(new QToolButton(this))
{
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(up_, &QToolButton::clicked, this, [this] { Click(TUDBtnType::btNext); });
    connect(down_, &QToolButton::clicked, this, [this] { Click(TUDBtnType::btPrev); });
}

void TUpDown::SetPosition(int position)
{
    position_ = std::clamp(position, min_, max_);
}

void TUpDown::Click(TUDBtnType button)
{
    SetPosition(button == TUDBtnType::btNext ? position_ + increment_ : position_ - increment_);
    if (OnClick) OnClick(button);
}

void TUpDown::resizeEvent(QResizeEvent*)
{
    const int upper = height() / 2;
    up_->setGeometry(0, 0, width(), upper);
    down_->setGeometry(0, upper, width(), height() - upper);
}

} // namespace ondrix::app
