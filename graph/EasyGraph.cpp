// TEasyGraph: construction, properties, the model operations and the paint
// handler. Rendering is in EasyGraphRender.cpp, the mouse in EasyGraphMouse.cpp.
#include "graph/EasyGraph.h"

#include "graph/RangeNormalizer.h"
#include "graph/ZoomThread.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <chrono>
#include <utility>

namespace ondrix::graph {

TEasyGraph::TEasyGraph(QWidget* parent)
    : QWidget(parent), series_(std::make_unique<TSeries>([this] { SeriesChanged(); })), parser_(this)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFont(DefaultFont());
    UpdateTextMetrics();
    resize(60, 40);
    hint_ = new TEGHintForm(this);
    hint_->setFont(font());
}

TEasyGraph::~TEasyGraph()
{
    // The worker must be gone before anything it could hand a step to.
    zoomThread_.reset();
    if (hintCaptured_) releaseMouse();
}

QFont TEasyGraph::DefaultFont()
{
    // A condensed sans serif at 11 pixels has the proportions of the classic
    // 8-point dialog font: 13 pixels high, digits 6 pixels wide.
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setPixelSize(11);
    if (QFontMetrics(font).height() == 13) return font;
    font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    for (int pixels = 12; pixels >= 8; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).height() <= 13) break;
    }
    return font;
}

// ---------------------------------------------------------------- properties

template <typename T> void TEasyGraph::SetProperty(T& field, const T& value, bool background)
{
    if (field == value) return;
    field = value;
    PropertyChanged(background);
}

void TEasyGraph::PropertyChanged(bool background)
{
    needsRender_ = true;
    if (background) backgroundDirty_ = true;
    update();
    FireChange();
}

void TEasyGraph::FireChange()
{
    if (onChange_) onChange_(this);
}

void TEasyGraph::SetAspectRatio(long double value)
{
    if (value == 0) return;
    SetProperty(aspectRatio_, value, false);
}

void TEasyGraph::SetBgImage(const QString& fileName)
{
    if (fileName == bgImage_) return;
    bgImage_ = fileName;
    if (bgStyle_ == bgsImageStretch || bgStyle_ == bgsImageTile) {
        needsRender_ = true;
        backgroundDirty_ = true;
        update();
    }
    FireChange();
}

void TEasyGraph::SetBgStyle(TBgStyle value)
{
    SetProperty(bgStyle_, value, true);
}
void TEasyGraph::SetBorderStyle(TBorderStyle value)
{
    SetProperty(borderStyle_, value, false);
}
void TEasyGraph::SetColorAxis(TColor value)
{
    SetProperty(colorAxis_, value, false);
}
void TEasyGraph::SetColorBg(TColor value)
{
    SetProperty(colorBg_, value, true);
}
void TEasyGraph::SetColorBg2(TColor value)
{
    SetProperty(colorBg2_, value, true);
}
void TEasyGraph::SetColorBorder(TColor value)
{
    SetProperty(colorBorder_, value, false);
}
void TEasyGraph::SetColorGrid(TColor value)
{
    SetProperty(colorGrid_, value, false);
}
void TEasyGraph::SetColorNumb(TColor value)
{
    SetProperty(colorNumb_, value, false);
}
void TEasyGraph::SetGraphBorder(TBorderStyle value)
{
    SetProperty(graphBorder_, value, false);
}
void TEasyGraph::SetGridStyle(TGridStyle value)
{
    SetProperty(gridStyle_, value, false);
}
void TEasyGraph::SetNumbHoriz(bool value)
{
    SetProperty(numbHoriz_, value, false);
}
void TEasyGraph::SetNumbVert(bool value)
{
    SetProperty(numbVert_, value, false);
}

void TEasyGraph::SetQuadrant(TEGQuadrant value)
{
    quadrant_ = value;
    PropertyChanged(false);
}

void TEasyGraph::SetOnXLabeling(TEGLabelingEvent handler)
{
    onXLabeling_ = std::move(handler);
    needsRender_ = true;
    FireChange();
    update();
}

void TEasyGraph::SetOnYLabeling(TEGLabelingEvent handler)
{
    onYLabeling_ = std::move(handler);
    needsRender_ = true;
    FireChange();
    update();
}

void TEasyGraph::SeriesChanged()
{
    needsRender_ = true;
    FireChange();
    if (updateLock_ == 0) update();
}

// ---------------------------------------------------------------- model

void TEasyGraph::SetVisible(const TEGRange& range)
{
    if (range.XMin == range.XMax || range.YMin == range.YMax || !IsFiniteRange(range)) return;
    range_ = range;
    if (range_.XMin > range_.XMax) std::swap(range_.XMin, range_.XMax);
    if (range_.YMin > range_.YMax) std::swap(range_.YMin, range_.YMax);
    needsRender_ = true;
    if (onVisChange_) onVisChange_(this);
    PaintNow();
}

void TEasyGraph::BeginUpdate()
{
    ++updateLock_;
}

void TEasyGraph::EndUpdate()
{
    if (updateLock_ > 1) {
        --updateLock_;
        return;
    }
    updateLock_ = 0;
    PaintNow();
}

void TEasyGraph::NormalizeRange(TEGRange& range) const
{
    graph::NormalizeRange(range, TRatioRule{maintainRatio_, aspectRatio_, plotRect_.Right - plotRect_.Left,
                                       plotRect_.Bottom - plotRect_.Top});
}

// ---------------------------------------------------------------- painting

int TEasyGraph::ScreenDepth() const
{
    const QScreen* current = screen();
    return current ? current->depth() : 32;
}

QRgb TEasyGraph::Resolve(TColor color) const
{
    return ResolveColor(color, palette());
}

void TEasyGraph::UpdateTextMetrics()
{
    const QFontMetrics metrics(font());
    textHeight_ = metrics.height();
    textAscent_ = metrics.ascent();
    verticalSampleWidth_ = metrics.horizontalAdvance(QStringLiteral("88888,888"));
}

void TEasyGraph::PaintHandler()
{
    if (!needsRender_ &&
        (backBuffer_.width() != width() || backBuffer_.height() != height() || ScreenDepth() != bufferDepth_))
        needsRender_ = true;
    if (!needsRender_) return;
    const auto started = std::chrono::steady_clock::now();
    Render(nullptr);
    renderTime_ = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
            .count());
}

void TEasyGraph::PaintNow()
{
    PaintHandler();
    if (isVisible()) repaint();
}

void TEasyGraph::paintEvent(QPaintEvent* event)
{
    PaintHandler();
    QPainter painter(this);
    const QRect area = event->rect();
    if (backBuffer_.isNull())
        painter.fillRect(area, QColor(Resolve(colorBg_)));
    else
        painter.drawImage(area, backBuffer_, area);
    if (rubberBandShown_) {
        // Exclusive-or with white: drawing the band a second time restores the picture.
        const QRect band = RubberBandRect();
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(Qt::NoPen);
        const QColor white(Qt::white);
        painter.fillRect(QRect(band.left(), band.top(), band.width(), 1), white);
        if (band.height() > 1) painter.fillRect(QRect(band.left(), band.bottom(), band.width(), 1), white);
        if (band.height() > 2) {
            painter.fillRect(QRect(band.left(), band.top() + 1, 1, band.height() - 2), white);
            if (band.width() > 1)
                painter.fillRect(QRect(band.right(), band.top() + 1, 1, band.height() - 2), white);
        }
    }
}

void TEasyGraph::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        UpdateTextMetrics();
        if (hint_) hint_->setFont(font());
        needsRender_ = true;
        update();
    } else if (event->type() == QEvent::PaletteChange) {
        // System colours resolve through the palette.
        needsRender_ = true;
        backgroundDirty_ = true;
        update();
    }
    QWidget::changeEvent(event);
}

// ---------------------------------------------------------------- zoom thread hand-over

void TEasyGraph::DeliverZoomStep()
{
    if (!zoomThread_) return;
    const bool last =
        zoomThread_->ApplyPendingStep([this](const TEGRange& range) { ReplaceVisibleRange(range); });
    if (last) zoomThread_.reset(); // the worker is returning; presses are accepted again
}

} // namespace ondrix::graph
