#pragma once

#include <QPainter>
#include <QRect>
#include <QRegion>

namespace ondrix::app {

// The front panel's artwork, drawn from its vector source at any scale.
void PaintPanel(QPainter& painter, const QRect& area);

// The window's shape: the artwork less its colour key (RGB 0, 128, 0);
// empty when the artwork has no key colour.
QRegion PanelShape();

} // namespace ondrix::app
