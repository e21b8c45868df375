#include "app/widgets/UpDown.h"

#include <QToolButton>

namespace ondrix::app {

TUpDown::TUpDown(QWidget* parent, const QString& hint)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    setToolTip(hint);
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolTip(hint);
    }
    connect(up_, &QToolButton::clicked, this, [this] {
        if (OnClick) OnClick(TUDBtnType::btNext);
    });
    connect(down_, &QToolButton::clicked, this, [this] {
        if (OnClick) OnClick(TUDBtnType::btPrev);
    });
}

void TUpDown::resizeEvent(QResizeEvent*)
{
    const int upper = height() / 2;
    up_->setGeometry(0, 0, width(), upper);
    down_->setGeometry(0, upper, width(), height() - upper);
}

} // namespace ondrix::app
