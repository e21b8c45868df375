// TEasyGraph::Render: back buffer upkeep, background, frames, the plot area,
// grid, axes, numbers and the series.
#include "graph/BackgroundGradient.h"
#include "graph/EasyGraph.h"
#include "graph/NumberFormat.h"
#include "graph/PixelCanvas.h"
#include "graph/PixelRounding.h"
#include "graph/PlotMapping.h"
#include "graph/QuadrantClip.h"

#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>

namespace ondrix::graph {

namespace {

// Ticks this close to zero are the axes.
constexpr long double AxisTolerance = 0.00001L;

bool DrawsXAxis(TGridStyle style)
{
    return style == gsXAxis || style == gsAxises || style == gsXGrid || style == gsFull;
}

bool DrawsYAxis(TGridStyle style)
{
    return style == gsYAxis || style == gsAxises || style == gsYGrid || style == gsFull;
}

// Restores the painter's state however the drawing ends (a labeling handler may throw).
class TPainterStateGuard
{
  public:
    explicit TPainterStateGuard(QPainter& painter) : painter_(painter) { painter_.save(); }
    ~TPainterStateGuard() { painter_.restore(); }
    TPainterStateGuard(const TPainterStateGuard&) = delete;
    TPainterStateGuard& operator=(const TPainterStateGuard&) = delete;

  private:
    QPainter& painter_;
};

QRect ClipRect(int left, int top, int right, int bottom)
{
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

// Sets the pixels of horizontal and vertical runs (second point exclusive)
// inside the clip rectangle of a 32-bit image.
void FillRuns(QImage& image, const std::vector<QLine>& runs, QRgb color, QRect clip)
{
    clip &= image.rect();
    if (clip.isEmpty()) return;
    const QRgb pixel = 0xFF000000u | color;
    const qsizetype stride = image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    QRgb* const bits = reinterpret_cast<QRgb*>(image.bits());
    for (const QLine& run : runs) {
        if (run.y1() == run.y2()) {
            const int y = run.y1();
            const int from = std::max(run.x1(), clip.left());
            const int to = std::min(run.x2(), clip.right() + 1);
            if (y < clip.top() || y > clip.bottom() || from >= to) continue;
            std::fill(bits + y * stride + from, bits + y * stride + to, pixel);
        } else {
            const int x = run.x1();
            const int from = std::max(run.y1(), clip.top());
            const int to = std::min(run.y2(), clip.bottom() + 1);
            if (x < clip.left() || x > clip.right()) continue;
            for (int y = from; y < to; ++y)
                bits[y * stride + x] = pixel;
        }
    }
}

} // namespace

void TEasyGraph::Render(QPainter* canvas)
{
    const bool toBackBuffer = canvas == nullptr;
    if (toBackBuffer) {
        KeepBackBuffer();
        if (backBuffer_.isNull()) return; // a control without area has nothing to show
    }
    if (backgroundDirty_) RebuildBackground();

    std::optional<QPainter> ownPainter;
    if (toBackBuffer) ownPainter.emplace(&backBuffer_);
    QPainter& painter = toBackBuffer ? *ownPainter : *canvas;
    const TPainterStateGuard state(painter);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setFont(font());
    painter.setBackgroundMode(Qt::TransparentMode);
    TPixelCanvas pixels(painter);

    if (toBackBuffer) {
        PaintBackground(painter);
        needsRender_ = false;
    }

    frameInner_ = TGraphRect{0, 0, width() - 1, height() - 1};
    pixels.Border(borderStyle_, Resolve(colorBorder_), Resolve(clBtnHighlight), Resolve(clBtnShadow),
                  frameInner_);
    LayOutPlot();
    NormalizeRange(range_);

    const bool plotHasArea = plotRect_.Right > plotRect_.Left && plotRect_.Bottom > plotRect_.Top;
    if (plotHasArea && (gridStyle_ != gsNone || numbVert_)) DrawHorizontalLinesAndNumbers(painter, pixels);
    if (plotHasArea && (gridStyle_ != gsNone || numbHoriz_)) DrawVerticalLinesAndNumbers(painter, pixels);
    TGraphRect frame{plotRect_.Left - 1, plotRect_.Top - 1, plotRect_.Right + 1, plotRect_.Bottom + 1};
    pixels.Border(graphBorder_, Resolve(colorBorder_), Resolve(clBtnHighlight), Resolve(clBtnShadow), frame);

    if (plotHasArea) DrawSeries(painter, toBackBuffer ? &backBuffer_ : nullptr);
}

void TEasyGraph::KeepBackBuffer()
{
    const int depth = ScreenDepth();
    const QSize size(std::max(0, width()), std::max(0, height()));
    if (depth != bufferDepth_ || backBuffer_.size() != size) {
        // A fresh buffer starts in the background colour rather than in
        // whatever the memory held.
        backBuffer_ = size.isEmpty() ? QImage() : QImage(size, QImage::Format_RGB32);
        if (!backBuffer_.isNull()) backBuffer_.fill(Resolve(colorBg_));
        if (!background_.isNull()) {
            background_ = QImage();
            backgroundDirty_ = true;
        }
        bufferDepth_ = depth;
    }
}

void TEasyGraph::RebuildBackground()
{
    backgroundDirty_ = false;
    const QSize size(std::max(0, width()), std::max(0, height()));
    if (background_.isNull() || background_.size() != size)
        background_ = size.isEmpty() ? QImage() : QImage(size, QImage::Format_RGB32);
    if (bgStyle_ == bgsLineHoriz || bgStyle_ == bgsLineVert)
        PaintGradient(background_, bgStyle_, Resolve(colorBg_), Resolve(colorBg2_));
}

void TEasyGraph::PaintBackground(QPainter& painter)
{
    if (bgStyle_ == bgsSolid || background_.isNull()) {
        painter.fillRect(rect(), QColor(Resolve(colorBg_)));
        return;
    }
    if (bgStyle_ == bgsLineHoriz || bgStyle_ == bgsLineVert) {
        painter.drawImage(0, 0, background_);
        return;
    }
    // Image styles load the file on every render. Without an image (or when it
    // cannot be read) the background is dropped: from the next render on the
    // control is filled with ColorBg until the background is rebuilt.
    QImage image;
    if (!bgImage_.isEmpty()) {
        QImageReader reader(bgImage_);
        image = reader.read();
    }
    if (image.isNull()) {
        background_ = QImage();
        return;
    }
    if (bgStyle_ == bgsImageStretch) {
        painter.drawImage(QRect(0, 0, background_.width(), background_.height()), image);
        return;
    }
    for (int y = 0; y < backBuffer_.height(); y += image.height())
        for (int x = 0; x < backBuffer_.width(); x += image.width())
            painter.drawImage(x, y, image);
}

void TEasyGraph::LayOutPlot()
{
    plotRect_ = frameInner_;
    if (numbHoriz_) plotRect_.Bottom -= textHeight_ + 4;
    if (numbVert_) plotRect_.Left += verticalSampleWidth_ + 4;
    if (graphBorder_ != bstNone) {
        plotRect_.Left += 1;
        plotRect_.Top += 1;
        plotRect_.Right -= 1;
        plotRect_.Bottom -= 1;
    }
}

// ---------------------------------------------------------------- grid and numbers

QString TEasyGraph::XLabel(long double value)
{
    if (onXLabeling_) {
        QString label;
        onXLabeling_(this, value, label);
        return label;
    }
    return FormatFixed(value, 3);
}

QString TEasyGraph::YLabel(long double value)
{
    if (onYLabeling_) {
        QString label;
        onYLabeling_(this, value, label);
        return label;
    }
    return FormatFixed(value, 3);
}

QString TEasyGraph::HorizontalTemplate()
{
    if (onXLabeling_) {
        const QString low = XLabel(range_.XMin);
        const QString high = XLabel(range_.XMax);
        QString longer = high.size() > low.size() ? high : low;
        for (QChar& c : longer)
            if (c.isDigit()) c = QLatin1Char('8');
        return longer;
    }
    auto magnitude = [](long double v) {
        const long double a = std::fabs(v);
        return a >= AxisTolerance ? RoundToInt(std::fabs(std::log10(a))) : 5;
    };
    const int digits = std::max(magnitude(range_.XMin), magnitude(range_.XMax)) + 1;
    return QString(std::clamp(digits, 1, 64), QLatin1Char('8')) + QStringLiteral(",888");
}

void TEasyGraph::DrawLabel(QPainter& painter, const QString& text, int left, int top, const QRect& clip)
{
    if (text.isEmpty() || clip.isEmpty()) return;
    const TPainterStateGuard state(painter);
    painter.setClipRect(clip, Qt::IntersectClip);
    painter.setPen(QColor(Resolve(colorNumb_)));
    painter.drawText(left, top + textAscent_, text);
}

void TEasyGraph::DrawHorizontalLinesAndNumbers(QPainter& painter, TPixelCanvas& canvas)
{
    const long double pixelsPerUnit = TPlotMapping(plotRect_, range_).RowsPerY();
    const long double step = TTickRuler::StepFor(TTickRuler::LabelDensity(pixelsPerUnit, textHeight_));
    TTickRuler::Ticks(range_.YMin, range_.YMax, pixelsPerUnit, step, ticks_);
    const QRgb axis = Resolve(colorAxis_);
    const QRgb grid = Resolve(colorGrid_);
    const QRect labelClip = ClipRect(frameInner_.Left, frameInner_.Top, plotRect_.Left, plotRect_.Bottom);
    const QFontMetrics metrics(font());
    for (const TTick& tick : ticks_) {
        const int y = plotRect_.Bottom - tick.Offset;
        if (DrawsXAxis(gridStyle_) && std::fabs(tick.Value) < AxisTolerance)
            canvas.HorizontalLine(plotRect_.Left, plotRect_.Right + 1, y, axis);
        else if (gridStyle_ == gsXGrid || gridStyle_ == gsFull)
            canvas.HorizontalLine(plotRect_.Left, plotRect_.Right + 1, y, grid);
        if (numbVert_) {
            const QString label = YLabel(tick.Value);
            DrawLabel(painter, label, plotRect_.Left - 3 - metrics.horizontalAdvance(label),
                      y - textHeight_ / 2, labelClip);
        }
    }
}

void TEasyGraph::DrawVerticalLinesAndNumbers(QPainter& painter, TPixelCanvas& canvas)
{
    const QFontMetrics metrics(font());
    const QString sample = HorizontalTemplate();
    const long double pixelsPerUnit = TPlotMapping(plotRect_, range_).ColumnsPerX();
    const std::int64_t density =
        sample.isEmpty() ? 10 : TTickRuler::LabelDensity(pixelsPerUnit, metrics.horizontalAdvance(sample));
    const long double step = TTickRuler::StepFor(density);
    TTickRuler::Ticks(range_.XMin, range_.XMax, pixelsPerUnit, step, ticks_);
    const QRgb axis = Resolve(colorAxis_);
    const QRgb grid = Resolve(colorGrid_);
    const QRect labelClip =
        ClipRect(plotRect_.Left, plotRect_.Bottom + 1, frameInner_.Right, frameInner_.Bottom);
    for (const TTick& tick : ticks_) {
        const int x = plotRect_.Left + tick.Offset;
        if (DrawsYAxis(gridStyle_) && std::fabs(tick.Value) < AxisTolerance)
            canvas.VerticalLine(x, plotRect_.Top, plotRect_.Bottom + 1, axis);
        else if (gridStyle_ == gsYGrid || gridStyle_ == gsFull)
            canvas.VerticalLine(x, plotRect_.Top, plotRect_.Bottom + 1, grid);
        if (numbHoriz_) {
            const QString label = XLabel(tick.Value);
            DrawLabel(painter, label, x - metrics.horizontalAdvance(label) / 2, plotRect_.Bottom + 4,
                      labelClip);
        }
    }
}

// ---------------------------------------------------------------- series

void TEasyGraph::DrawSeries(QPainter& painter, QImage* backBuffer)
{
    const std::optional<TGraphRect> clip = QuadrantClip(quadrant_, plotRect_, range_);
    if (!clip || clip->Right <= clip->Left || clip->Bottom <= clip->Top) return;
    const TPainterStateGuard state(painter);
    const QRect clipRect = ClipRect(clip->Left, clip->Top, clip->Right, clip->Bottom);
    painter.setClipRect(clipRect, Qt::IntersectClip);
    const TPlotGeometry geometry{plotRect_, range_, height(), clip->Top, clip->Bottom};
    for (int index = 0; index < series_->Count(); ++index) {
        const TPoints& points = series_->Items(index);
        if (!points.Visible()) continue;
        plotter_.Plot(parser_, points, geometry, trace_);
        if (trace_.Runs().empty()) continue;
        const QRgb color = Resolve(points.Color());
        if (backBuffer) {
            // The back buffer's own painter has no transform: set the pixels
            // directly, several times faster than stroking steep runs.
            FillRuns(*backBuffer, trace_.Runs(), color, clipRect);
            continue;
        }
        // Runs end one pixel past their last pixel; a flat cap leaves that pixel out.
        QPen pen(QColor(color), 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        painter.setPen(pen);
        painter.drawLines(trace_.Runs().data(), static_cast<int>(trace_.Runs().size()));
    }
}

} // namespace ondrix::graph
