#pragma once

#include "windows/WindowServices.h"

#include <QImage>
#include <QWidget>

namespace ondrix::windows {

// The circuit of a one-transistor amplifier for the sound output, stretched
// to fill the window whatever its shape.
class TAmplifierCircuit : public QWidget
{
  public:
    explicit TAmplifierCircuit(WindowServices services);

    const QImage& Picture() const { return picture_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage picture_;
};

} // namespace ondrix::windows
