#include "app/widgets/PanelButton.h"

#include <QPainter>

namespace ondrix::app {

TPanelButton::TPanelButton(QWidget* parent, const QString& caption, const QString& hint) : QAbstractButton(parent)
{
    setText(caption);
    setToolTip(hint);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void TPanelButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (isDown())
        painter.fillRect(area, QColor(0, 0, 0, 80));
    else if (hovered_)
        painter.fillRect(area, QColor(255, 255, 255, 40));
    if (!text().isEmpty()) {
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.setFont(font());
        painter.drawText(rect().translated(isDown() ? 1 : 0, isDown() ? 1 : 0), Qt::AlignCenter | Qt::TextShowMnemonic,
                         text());
    }
}

void TPanelButton::enterEvent(QEnterEvent* event)
{
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TPanelButton::leaveEvent(QEvent* event)
{
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace ondrix::app
