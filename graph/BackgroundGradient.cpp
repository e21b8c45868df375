#include "graph/BackgroundGradient.h"

#include <QPainter>

namespace ondrix::graph {

namespace {

constexpr int FractionBits = 20;

int Channel(int from, int to, int index, int lines)
{
    const int start = from * (1 << FractionBits);
    const int step = (to - from) * (1 << FractionBits) / lines; // truncates toward zero
    return (start + index * step) >> FractionBits;
}

} // namespace

QRgb GradientLineColor(QRgb from, QRgb to, int index, int lines)
{
    return qRgb(Channel(qRed(from), qRed(to), index, lines), Channel(qGreen(from), qGreen(to), index, lines),
                Channel(qBlue(from), qBlue(to), index, lines));
}

void PaintGradient(QImage& image, TBgStyle style, QRgb from, QRgb to)
{
    if (image.isNull()) return;
    QPainter painter(&image);
    if (style == bgsLineHoriz) {
        const int lines = image.height();
        for (int row = 0; row < lines; ++row)
            painter.fillRect(0, row, image.width(), 1, QColor(GradientLineColor(from, to, row, lines)));
    } else if (style == bgsLineVert) {
        const int lines = image.width();
        for (int column = 0; column < lines; ++column)
            painter.fillRect(column, 0, 1, image.height(),
                             QColor(GradientLineColor(from, to, column, lines)));
    }
}

} // namespace ondrix::graph
