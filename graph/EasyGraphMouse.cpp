// TEasyGraph's mouse: rectangle zoom, zoom out by a click, panning, the value
// hint and the animated zoom.
#include "graph/EasyGraph.h"
#include "graph/NumberFormat.h"
#include "graph/PlotMapping.h"
#include "graph/ZoomThread.h"

#include <QMetaObject>
#include <QMouseEvent>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ondrix::graph {

namespace {

// The action a left press with these modifiers stands for: Alt is tested
// first, then Ctrl, then Shift.
TMouseAction LeftAction(Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::AltModifier) return maAlt;
    if (modifiers & Qt::ControlModifier) return maCtrl;
    if (modifiers & Qt::ShiftModifier) return maShift;
    return maNone;
}

QPoint Position(const QMouseEvent* event)
{
    return event->position().toPoint();
}

} // namespace

// ---------------------------------------------------------------- Qt events

void TEasyGraph::mousePressEvent(QMouseEvent* event)
{
    if (hintCaptured_) {
        EndHintCapture();
        return;
    }
    const QPoint position = Position(event);
    if (onMouseDown_) onMouseDown_(this, event->button(), event->modifiers(), position.x(), position.y());
    MousePress(event->button(), event->modifiers(), position);
}

void TEasyGraph::mouseMoveEvent(QMouseEvent* event)
{
    if (hintCaptured_) {
        HintCaptureMove(Position(event));
        return;
    }
    MouseMove(event->buttons(), Position(event));
}

void TEasyGraph::mouseReleaseEvent(QMouseEvent* event)
{
    if (hintCaptured_) {
        EndHintCapture();
        return;
    }
    const QPoint position = Position(event);
    MouseRelease(event->button());
    if (onMouseUp_) onMouseUp_(this, event->button(), event->modifiers(), position.x(), position.y());
    if (event->button() == Qt::LeftButton && rect().contains(position) && onClick_) onClick_(this);
}

void TEasyGraph::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!hintCaptured_ && onDblClick_) onDblClick_(this);
    // A double click is also a press, as far as zooming and panning go.
    mousePressEvent(event);
}

// ---------------------------------------------------------------- press, move, release

bool TEasyGraph::Triggers(TMouseAction action, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) const
{
    if (button == Qt::RightButton) return action == maRight;
    if (button == Qt::LeftButton)
        return (action == maShift || action == maCtrl || action == maAlt) && action == LeftAction(modifiers);
    return false;
}

void TEasyGraph::MousePress(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position)
{
    if (mouseMode_ != 0) return;
    moveCount_ = 0;
    if (zoomThread_ || !plotRect_.Contains(position.x(), position.y())) return;
    if (button != Qt::LeftButton && button != Qt::RightButton) return;

    if (Triggers(mouseFuncHint_, button, modifiers)) {
        mouseMode_ = mmHint;
        lastPosition_ = position;
        UpdateHint();
        hint_->show();
        // Every mouse message goes to the graph until a button releases the hint.
        hintCaptured_ = true;
        if (isVisible()) grabMouse();
        return;
    }
    if (Triggers(mouseZoom_, button, modifiers)) mouseMode_ = mmZoomOutClick;
    if (Triggers(mousePan_, button, modifiers)) {
        mouseMode_ |= mmPan;
        lastPosition_ = position;
    }
    if (button == Qt::LeftButton && mouseMode_ == 0 && mouseZoom_ != maNone) {
        mouseMode_ = mmZoomRect;
        zoomStart_ = zoomEnd_ = position;
        rubberBandShown_ = false;
    }
}

void TEasyGraph::MouseMove(Qt::MouseButtons buttons, QPoint position)
{
    ++moveCount_;
    if ((mouseMode_ & mmPan) && moveCount_ > 2) {
        if (mousePan_ == maRight && !(buttons & Qt::RightButton)) {
            mouseMode_ = 0;
        } else {
            mouseMode_ = mmPan; // a pending zoom-out click is cancelled
            TEGRange range = range_;
            const TPlotMapping mapping(plotRect_, range);
            const long double dx = mapping.XPerColumn() * (position.x() - lastPosition_.x());
            const long double dy = mapping.YPerRow() * (position.y() - lastPosition_.y());
            range.XMin -= dx;
            range.XMax -= dx;
            range.YMin += dy;
            range.YMax += dy;
            lastPosition_ = position;
            ReplaceVisibleRange(range);
        }
    }
    if (mouseMode_ == mmZoomRect) {
        if (rubberBandShown_) ToggleRubberBand(); // erase
        zoomEnd_ = QPoint(std::clamp(position.x(), plotRect_.Left, plotRect_.Right),
                          std::clamp(position.y(), plotRect_.Top, plotRect_.Bottom));
        ToggleRubberBand(); // draw
    }
}

void TEasyGraph::MouseRelease(Qt::MouseButton button)
{
    if (mouseMode_ == mmZoomRect) {
        if (rubberBandShown_) ToggleRubberBand();
        if (button == Qt::LeftButton) ZoomTo();
    }
    if ((mouseMode_ & mmZoomOutClick) && moveCount_ < 3) ZoomOut();
    mouseMode_ = 0;
}

// ---------------------------------------------------------------- rubber band

QRect TEasyGraph::RubberBandRect() const
{
    return QRect(QPoint(std::min(zoomStart_.x(), zoomEnd_.x()), std::min(zoomStart_.y(), zoomEnd_.y())),
                 QPoint(std::max(zoomStart_.x(), zoomEnd_.x()), std::max(zoomStart_.y(), zoomEnd_.y())));
}

void TEasyGraph::ToggleRubberBand()
{
    // The band lives on the screen only, never in the back buffer: the paint
    // handler inverts its outline over the copied picture while it is shown.
    rubberBandShown_ = !rubberBandShown_;
    const QRect band = RubberBandRect();
    QRegion outline(band.left(), band.top(), band.width(), 1);
    outline += QRect(band.left(), band.bottom(), band.width(), 1);
    outline += QRect(band.left(), band.top(), 1, band.height());
    outline += QRect(band.right(), band.top(), 1, band.height());
    if (isVisible()) repaint(outline);
}

// ---------------------------------------------------------------- zooming

void TEasyGraph::ZoomTo()
{
    TEGRange target = range_;
    const int left = std::min(zoomStart_.x(), zoomEnd_.x());
    const int right = std::max(zoomStart_.x(), zoomEnd_.x());
    const int top = std::min(zoomStart_.y(), zoomEnd_.y());
    const int bottom = std::max(zoomStart_.y(), zoomEnd_.y());
    const long double xSpan = range_.XMax - range_.XMin;
    const long double ySpan = range_.YMax - range_.YMin;
    if (left == right || top == bottom) {
        // A click: half the range about its centre, wherever the click was.
        target.XMin += xSpan / 4;
        target.XMax -= xSpan / 4;
        target.YMin += ySpan / 4;
        target.YMax -= ySpan / 4;
    } else {
        const TPlotMapping mapping(plotRect_, range_);
        target.XMin = mapping.XAt(left);
        target.XMax = mapping.XAt(right);
        target.YMin = mapping.YAt(bottom);
        target.YMax = mapping.YAt(top);
    }
    NormalizeRange(target);
    const bool narrower = target.XMax - target.XMin < xSpan;
    const bool lower = target.YMax - target.YMin < ySpan;
    if (!narrower && !lower) return;
    ZoomToward(target);
}

void TEasyGraph::ZoomOut()
{
    const long double xHalf = (range_.XMax - range_.XMin) / 2;
    const long double yHalf = (range_.YMax - range_.YMin) / 2;
    ZoomToward(TEGRange{range_.XMin - xHalf, range_.YMin - yHalf, range_.XMax + xHalf, range_.YMax + yHalf});
}

void TEasyGraph::ZoomToward(const TEGRange& target)
{
    if (zoomTime_ <= 0) {
        ReplaceVisibleRange(target);
        return;
    }
    // The worker only posts a call; the step itself is taken over here, on the
    // GUI thread.
    zoomThread_ = std::make_unique<TZoomThread>(range_, target, zoomTime_, renderTime_, [this] {
        QMetaObject::invokeMethod(this, "DeliverZoomStep", Qt::QueuedConnection);
    });
}

void TEasyGraph::ReplaceVisibleRange(const TEGRange& range)
{
    range_ = range;
    needsRender_ = true;
    if (onVisChange_) onVisChange_(this);
    PaintNow();
}

// ---------------------------------------------------------------- value hint

void TEasyGraph::HintCaptureMove(QPoint position)
{
    lastPosition_ = position;
    if (plotRect_.Contains(position.x(), position.y())) {
        UpdateHint();
    } else {
        mouseMode_ = 0;
        hint_->hide();
    }
}

void TEasyGraph::EndHintCapture()
{
    mouseMode_ = 0;
    hint_->hide();
    hintCaptured_ = false;
    if (QWidget::mouseGrabber() == this) releaseMouse();
}

int TEasyGraph::CursorHeight()
{
    // The pointer image's height; X servers and desktops agree on 32 unless
    // the user asked for another size.
    bool ok = false;
    const int size = qEnvironmentVariableIntValue("XCURSOR_SIZE", &ok);
    return ok && size > 0 && size <= 256 ? size : 32;
}

int TEasyGraph::HintRow(const TPoints& points, int column, const TEGRange& range)
{
    if (points.StrippedExpression().empty()) return NoValue;
    const TPlotMapping mapping(plotRect_, range);
    long double value = 0;
    try {
        parser_.SetX(mapping.XAt(column));
        parser_.SetExpression(points.StrippedExpression());
        // With an error handler on the parser a failed compile does not raise.
        if (!parser_.IsCompiled()) return NoValue;
        value = parser_.Value();
        if (parser_.CalcError()) return NoValue;
    } catch (...) {
        return NoValue;
    }
    if (!std::isfinite(value)) return NoValue;
    return mapping.RowOf(value);
}

void TEasyGraph::UpdateHint()
{
    const int x = lastPosition_.x();
    const int y = lastPosition_.y();
    if (!plotRect_.Contains(x, y)) return;
    const TEGRange range = range_;
    const TPlotMapping mapping(plotRect_, range);
    if (mapping.PlotWidth() <= 0 || mapping.PlotHeight() <= 0) return;
    const long double worldX = mapping.XAt(x);
    const long double worldY = mapping.YAt(y);

    QString xText;
    QString yText;
    if (onXLabeling_)
        onXLabeling_(this, worldX, xText);
    else
        xText = FormatFixed(worldX, 4);
    if (onYLabeling_)
        onYLabeling_(this, worldY, yText);
    else
        yText = FormatFixed(worldY, 4);
    hint_->SetCoordinates(xText, yText);

    bool hit = false;
    for (int index = 0; index < series_->Count() && !hit; ++index) {
        const TPoints& points = series_->Items(index);
        if (!points.Visible()) continue;
        int previous = HintRow(points, x - 2, range);
        for (int column = x - 1; column <= x + 2; ++column) {
            const int current = HintRow(points, column, range);
            if (previous != NoValue && current != NoValue && std::min(previous, current) - 3 < y &&
                y < std::max(previous, current) + 3) {
                hit = true;
                hint_->SetHitSeries(QString::fromStdString(points.Expression()), Resolve(points.Color()));
                break;
            }
            previous = current;
        }
    }
    if (!hit) hint_->ClearHitSeries();
    hint_->Redraw();
    hint_->move(mapToGlobal(QPoint(0, 0)) + QPoint(x, y + CursorHeight() + 5));
}

} // namespace ondrix::graph
