// The two gradient backgrounds: one colour per pixel row (top to bottom) or
// per pixel column (left to right), stepped in 12.20 fixed point.
#pragma once

#include "graph/GraphTypes.h"

#include <QImage>

namespace ondrix::graph {

// The colour of line `index` of `lines` running from `from` towards `to`;
// the last line stays one step short of `to`.
QRgb GradientLineColor(QRgb from, QRgb to, int index, int lines);

// Paints a bgsLineHoriz or bgsLineVert gradient over the whole image.
void PaintGradient(QImage& image, TBgStyle style, QRgb from, QRgb to);

} // namespace ondrix::graph
