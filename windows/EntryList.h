#pragma once

#include <QListWidget>
#include <functional>

namespace ondrix::windows {

// A list whose double click opens the selected entry wherever in the list it
// lands, and does nothing with no entry selected. A click on the empty area
// below the entries keeps the selection, as the desktop's plain list boxes do.
class EntryList : public QListWidget
{
  public:
    EntryList(QWidget* parent, std::function<void(int row)> open);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    std::function<void(int)> open_;
};

} // namespace ondrix::windows
