#include "app/panel/Display.h"

#include "app/panel/PanelFont.h"
#include "graph/EasyGraph.h"

#include <QMouseEvent>
#include <QPalette>

namespace ondrix::app {

TDisplay::TDisplay(QWidget* parent)
    : QWidget(parent), error_(new TPanel(this)), status_(new TLabel(this)), miniGraph_(new graph::TEasyGraph(this))
{
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    setFont(DisplayFont());

    error_->setGeometry(2, 0, 205, 73);
    status_->setGeometry(8, 8, 128, 60);
    status_->SetCaption(kProductText);
    miniGraph_->setGeometry(136, 8, 65, 57);
    // Every click on the display, its texts or its plot is the display's.
    for (QWidget* part : {static_cast<QWidget*>(error_), static_cast<QWidget*>(status_),
                          static_cast<QWidget*>(miniGraph_)})
        part->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TDisplay::SetStatus(const QString& text)
{
    status_->SetCaption(text);
}

void TDisplay::ShowError(const QString& message)
{
    status_->hide();
    error_->SetCaption(message);
}

void TDisplay::ClearError()
{
    status_->show();
    error_->SetCaption(QString());
}

void TDisplay::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick) OnClick();
    QWidget::mouseReleaseEvent(event);
}

} // namespace ondrix::app
