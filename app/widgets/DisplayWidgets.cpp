#include "app/widgets/DisplayWidgets.h"

#include <QMouseEvent>

namespace ondrix::app {

TCaptionWidget::TCaptionWidget(QWidget* parent, Qt::Alignment alignment) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(alignment);
}

void TCaptionWidget::SetCaption(const QString& caption)
{
    caption_ = caption;
    setText(QString(caption).replace("\r\n", "\n"));
}

void TCaptionWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
        OnClick();
    QLabel::mouseReleaseEvent(event);
}

TPanel::TPanel(QWidget* parent) : TCaptionWidget(parent, Qt::AlignLeft | Qt::AlignVCenter)
{
    setWordWrap(true);
}

} // namespace ondrix::app
