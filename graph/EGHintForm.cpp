#include "graph/EGHintForm.h"

#include "graph/GraphColor.h"
#include "graph/PixelCanvas.h"

#include <QPaintEvent>
#include <QPainter>

namespace ondrix::graph {

namespace {
constexpr int TextRight = 75;
constexpr int XRow = 2;
constexpr int YRow = 17;
constexpr int SeriesRow = 32;
} // namespace

TEGHintForm::TEGHintForm(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      bitmap_(HintWidth, HintHeight, QImage::Format_RGB32)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(HintWidth, HintHeight);
    bitmap_.fill(Qt::white);
}

void TEGHintForm::SetCoordinates(const QString& xText, const QString& yText)
{
    xText_ = xText;
    yText_ = yText;
}

void TEGHintForm::SetHitSeries(const QString& text, QRgb color)
{
    seriesText_ = text;
    seriesColor_ = color;
    seriesHit_ = true;
}

void TEGHintForm::ClearHitSeries()
{
    seriesHit_ = false;
}

void TEGHintForm::Redraw()
{
    const QPalette& pal = palette();
    QPainter painter(&bitmap_);
    painter.setFont(font());
    TPixelCanvas canvas(painter);
    canvas.FillRect(0, 0, HintWidth, HintHeight, ResolveColor(clBtnFace, pal));
    TGraphRect frame{0, 0, HintWidth - 1, HintHeight - 1};
    canvas.Border(bstRaised, 0, ResolveColor(clBtnHighlight, pal), ResolveColor(clBtnShadow, pal), frame);

    painter.setPen(QColor(Qt::black));
    const int ascent = painter.fontMetrics().ascent();
    painter.drawText(2, XRow + ascent, QStringLiteral("X:"));
    painter.drawText(2, YRow + ascent, QStringLiteral("Y:"));
    DrawRightAligned(painter, xText_, TextRight, XRow);
    DrawRightAligned(painter, yText_, TextRight, YRow);
    if (seriesHit_) {
        // A long expression loses its beginning, not its end.
        painter.save();
        painter.setClipRect(QRect(13, 31, HintWidth - 2 - 13, HintHeight - 2 - 31));
        DrawRightAligned(painter, seriesText_, TextRight, SeriesRow);
        painter.restore();
        canvas.FillRect(3, 31, 11, HintHeight - 2, seriesColor_);
        canvas.Outline(3, 31, 11, HintHeight - 2, qRgb(0, 0, 0));
    }
    painter.end();
    update();
}

void TEGHintForm::DrawRightAligned(QPainter& painter, const QString& text, int right, int top)
{
    const QFontMetrics& metrics = painter.fontMetrics();
    painter.drawText(right - metrics.horizontalAdvance(text), top + metrics.ascent(), text);
}

void TEGHintForm::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), bitmap_, event->rect());
}

} // namespace ondrix::graph
