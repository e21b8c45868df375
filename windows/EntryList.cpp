#include "windows/EntryList.h"

#include <QMouseEvent>

namespace ondrix::windows {

EntryList::EntryList(QWidget* parent, std::function<void(int row)> open)
    : QListWidget(parent), open_(std::move(open))
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void EntryList::mousePressEvent(QMouseEvent* event)
{
    if (!indexAt(event->position().toPoint()).isValid()) {
        setFocus(Qt::MouseFocusReason);
        return;
    }
    QListWidget::mousePressEvent(event);
}

void EntryList::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QList<QListWidgetItem*> selected = selectedItems();
    if (!selected.isEmpty()) open_(row(selected.first()));
    event->accept();
}

} // namespace ondrix::windows
