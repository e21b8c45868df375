#include "windows/ClickableLabel.h"

#include <QMouseEvent>

namespace ondrix::windows {

ClickableLabel::ClickableLabel(QWidget* parent, std::function<void()> onClick)
    : QLabel(parent), onClick_(std::move(onClick))
{
    setCursor(Qt::PointingHandCursor);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClick_)
        onClick_();
    QLabel::mouseReleaseEvent(event);
}

} // namespace ondrix::windows
