#pragma once

#include "windows/WindowServices.h"

#include <QWidget>

class QLabel;
class QListWidget;

namespace ondrix::windows {

// Pin assignments of the three connectors the program drives: double click
// an entry to see its picture at its own size, cut off at the window's edge.
class TPinouts : public QWidget
{
  public:
    explicit TPinouts(WindowServices services);

    // Loads picture index (0-based); a missing one keeps the shown picture and reports.
    void LoadPicture(int index);

    QListWidget& List() { return *list_; }
    const QLabel& Image() const { return *image_; }

  private:
    WindowServices services_;
    QListWidget* list_ = nullptr;
    QLabel* image_ = nullptr;
};

} // namespace ondrix::windows
