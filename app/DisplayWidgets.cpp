#include "app/DisplayWidgets.h"

#include <QMouseEvent>

namespace ondrix::app {

namespace {

QString ShownText(QString caption)
{
    return caption.replace("\r\n", "\n");
}

} // namespace

TPanel::TPanel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setWordWrap(true);
}

void TPanel::SetCaption(const QString& caption)
{
    caption_ = caption;
    setText(ShownText(caption));
}

void TPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
        OnClick();
    QLabel::mouseReleaseEvent(event);
}

TLabel::TLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TLabel::SetCaption(const QString& caption)
{
    caption_ = caption;
    setText(ShownText(caption));
}

void TLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
        OnClick();
    QLabel::mouseReleaseEvent(event);
}

} // namespace ondrix::app
