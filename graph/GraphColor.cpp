#include "graph/GraphColor.h"

namespace ondrix::graph {

QRgb ResolveColor(TColor color, const QPalette& palette)
{
    if (color & clSystemColorFlag) {
        switch (color) {
        case clBtnFace:
            return palette.color(QPalette::Active, QPalette::Button).rgb();
        case clBtnShadow:
            return palette.color(QPalette::Active, QPalette::Dark).rgb();
        case clBtnHighlight:
            return palette.color(QPalette::Active, QPalette::Light).rgb();
        default:
            return qRgb(0, 0, 0);
        }
    }
    return qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

QColor ToQColor(TColor color, const QPalette& palette)
{
    return QColor(ResolveColor(color, palette));
}

} // namespace ondrix::graph
