#include "graph/PixelCanvas.h"

namespace ondrix::graph {

void TPixelCanvas::HorizontalLine(int fromX, int toX, int y, QRgb color)
{
    if (fromX == toX) return;
    // Leftwards the start pixel is fromX and the end toX is left out.
    if (toX > fromX)
        FillRect(fromX, y, toX, y + 1, color);
    else
        FillRect(toX + 1, y, fromX + 1, y + 1, color);
}

void TPixelCanvas::VerticalLine(int x, int fromY, int toY, QRgb color)
{
    if (fromY == toY) return;
    if (toY > fromY)
        FillRect(x, fromY, x + 1, toY, color);
    else
        FillRect(x, toY + 1, x + 1, fromY + 1, color);
}

void TPixelCanvas::Outline(int left, int top, int right, int bottom, QRgb color)
{
    if (right <= left || bottom <= top) return;
    FillRect(left, top, right, top + 1, color);
    FillRect(left, bottom - 1, right, bottom, color);
    FillRect(left, top, left + 1, bottom, color);
    FillRect(right - 1, top, right, bottom, color);
}

void TPixelCanvas::FillRect(int left, int top, int right, int bottom, QRgb color)
{
    if (right <= left || bottom <= top) return;
    painter_.fillRect(QRect(left, top, right - left, bottom - top), QColor(color));
}

void TPixelCanvas::Border(TBorderStyle style, QRgb single, QRgb highlight, QRgb shadow, TGraphRect& rect)
{
    const int l = rect.Left, t = rect.Top, r = rect.Right, b = rect.Bottom;
    switch (style) {
    case bstNone:
        return;
    case bstSingle:
        Outline(l, t, r + 1, b + 1, single);
        break;
    case bstRaised:
    case bstLowered: {
        const QRgb topLeft = style == bstRaised ? highlight : shadow;
        const QRgb bottomRight = style == bstRaised ? shadow : highlight;
        // (L, B-1) to (L, T) to (R+1, T), then (L, B) to (R, B) to (R, T).
        VerticalLine(l, b - 1, t, topLeft);
        HorizontalLine(l, r + 1, t, topLeft);
        HorizontalLine(l, r, b, bottomRight);
        VerticalLine(r, b, t, bottomRight);
        break;
    }
    }
    rect.Left += 1;
    rect.Top += 1;
    rect.Right -= 1;
    rect.Bottom -= 1;
}

} // namespace ondrix::graph
