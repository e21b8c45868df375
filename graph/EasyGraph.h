// TEasyGraph: a plotting control that draws functions y = f(x) given as
// formula text, through its own parser, into a back buffer. The mouse zooms
// (rectangle or click), pans and shows a value hint; zooms can be animated by
// a worker thread.
#pragma once

#include "graph/EGHintForm.h"
#include "graph/GraphColor.h"
#include "graph/GraphTypes.h"
#include "graph/Series.h"
#include "graph/SeriesPlotter.h"
#include "graph/TickRuler.h"
#include "graph/TraceBuilder.h"
#include "parser/MDParser.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

namespace ondrix::graph {

class TZoomThread;
class TPixelCanvas;

using TGraphMouseEvent = std::function<void(TEasyGraph* Sender, Qt::MouseButton Button,
                                            Qt::KeyboardModifiers Shift, int X, int Y)>;

class TEasyGraph : public QWidget
{
    Q_OBJECT

  public:
    // Interaction state bits (MouseMode).
    enum : int { mmZoomOutClick = 1, mmPan = 2, mmZoomRect = 4, mmHint = 8 };
    // The hint's hit test marks a column where a series has no pixel with this.
    static constexpr int NoValue = -1000000;

    explicit TEasyGraph(QWidget* parent = nullptr);
    ~TEasyGraph() override;

    // Published properties. Setters do nothing for an equal value; otherwise
    // they store it, set NeedsRender, queue a repaint and fire OnChange.
    long double AspectRatio() const { return aspectRatio_; }
    void SetAspectRatio(long double value); // 0 is ignored
    const QString& BgImage() const { return bgImage_; }
    void SetBgImage(const QString& fileName);
    TBgStyle BgStyle() const { return bgStyle_; }
    void SetBgStyle(TBgStyle value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    TColor ColorAxis() const { return colorAxis_; }
    void SetColorAxis(TColor value);
    TColor ColorBg() const { return colorBg_; }
    void SetColorBg(TColor value);
    TColor ColorBg2() const { return colorBg2_; }
    void SetColorBg2(TColor value);
    TColor ColorBorder() const { return colorBorder_; }
    void SetColorBorder(TColor value);
    TColor ColorGrid() const { return colorGrid_; }
    void SetColorGrid(TColor value);
    TColor ColorNumb() const { return colorNumb_; }
    void SetColorNumb(TColor value);
    TBorderStyle GraphBorder() const { return graphBorder_; }
    void SetGraphBorder(TBorderStyle value);
    TGridStyle GridStyle() const { return gridStyle_; }
    void SetGridStyle(TGridStyle value);
    bool NumbHoriz() const { return numbHoriz_; }
    void SetNumbHoriz(bool value);
    bool NumbVert() const { return numbVert_; }
    void SetNumbVert(bool value);
    TEGQuadrant Quadrant() const { return quadrant_; }
    void SetQuadrant(TEGQuadrant value); // applied even when unchanged

    // Plain fields: they take effect at the next render or mouse action.
    bool MaintainRatio() const { return maintainRatio_; }
    void SetMaintainRatio(bool value) { maintainRatio_ = value; }
    TMouseAction MousePan() const { return mousePan_; }
    void SetMousePan(TMouseAction value) { mousePan_ = value; }
    TMouseAction MouseZoom() const { return mouseZoom_; }
    void SetMouseZoom(TMouseAction value) { mouseZoom_ = value; }
    TMouseAction MouseFuncHint() const { return mouseFuncHint_; }
    void SetMouseFuncHint(TMouseAction value) { mouseFuncHint_ = value; }
    int ZoomTime() const { return zoomTime_; }
    void SetZoomTime(int milliseconds) { zoomTime_ = milliseconds; }

    // Events.
    void SetOnChange(TNotifyEvent handler) { onChange_ = std::move(handler); }
    void SetOnVisChange(TNotifyEvent handler) { onVisChange_ = std::move(handler); }
    void SetOnXLabeling(TEGLabelingEvent handler); // always repaints
    void SetOnYLabeling(TEGLabelingEvent handler); // always repaints
    void SetOnClick(TNotifyEvent handler) { onClick_ = std::move(handler); }
    void SetOnDblClick(TNotifyEvent handler) { onDblClick_ = std::move(handler); }
    void SetOnMouseDown(TGraphMouseEvent handler) { onMouseDown_ = std::move(handler); }
    void SetOnMouseUp(TGraphMouseEvent handler) { onMouseUp_ = std::move(handler); }

    TSeries& Series() { return *series_; }
    TMDParser& Parser() { return parser_; }

    // The visible range as last stored (normalised by every render).
    const TEGRange& VisibleRange() const { return range_; }
    // Ignored when a span is zero (or a value is not finite); otherwise stores
    // the range with each pair in order, fires OnVisChange and repaints at once.
    void SetVisible(const TEGRange& range);

    void BeginUpdate();
    void EndUpdate();

    // Draws the whole graph into the back buffer (canvas null) or onto the
    // given painter, whose device must be at least the control's size.
    void Render(QPainter* canvas = nullptr);

    // Spans limited to 0.01..10000 and, with MaintainRatio, the plot's proportions.
    void NormalizeRange(TEGRange& range) const;

    // State read by the interaction, tests and tools.
    const TGraphRect& PlotRect() const { return plotRect_; }
    int RenderTime() const { return renderTime_; }
    bool NeedsRender() const { return needsRender_; }
    bool BackgroundDirty() const { return backgroundDirty_; }
    int UpdateLock() const { return updateLock_; }
    const QImage& BackBuffer() const { return backBuffer_; }
    int MouseMode() const { return mouseMode_; }
    bool ZoomRunning() const { return zoomThread_ != nullptr; }
    const TEGHintForm& HintForm() const { return *hint_; }
    // The text height of "Xy" and the width of the vertical numbers' sample.
    int TextHeight() const { return textHeight_; }
    int VerticalSampleWidth() const { return verticalSampleWidth_; }

    // The graph's own font: 8 points at 96 dots per inch, 13 pixels high.
    static QFont DefaultFont();

    QSize sizeHint() const override { return {60, 40}; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    Q_INVOKABLE void DeliverZoomStep();

    template <typename T> void SetProperty(T& field, const T& value, bool background);
    void PropertyChanged(bool background);
    void SeriesChanged();
    void FireChange();
    void UpdateTextMetrics();
    int ScreenDepth() const;
    QRgb Resolve(TColor color) const;

    // The paint handler: renders into the back buffer when needed.
    void PaintHandler();
    // Calls the paint handler directly and shows the result at once.
    void PaintNow();

    // Render steps.
    void KeepBackBuffer();
    void RebuildBackground();
    void PaintBackground(QPainter& painter);
    void LayOutPlot();
    void DrawHorizontalLinesAndNumbers(QPainter& painter, TPixelCanvas& canvas);
    void DrawVerticalLinesAndNumbers(QPainter& painter, TPixelCanvas& canvas);
    void DrawSeries(QPainter& painter, QImage* backBuffer);
    QString XLabel(long double value);
    QString YLabel(long double value);
    QString HorizontalTemplate();
    void DrawLabel(QPainter& painter, const QString& text, int left, int top, const QRect& clip);

    // Interaction.
    void MousePress(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);
    void MouseMove(Qt::MouseButtons buttons, QPoint position);
    void MouseRelease(Qt::MouseButton button);
    void HintCaptureMove(QPoint position);
    void EndHintCapture();
    bool Triggers(TMouseAction action, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) const;
    void ToggleRubberBand();
    QRect RubberBandRect() const;
    void ZoomTo();
    void ZoomOut();
    void ZoomToward(const TEGRange& target);
    void ReplaceVisibleRange(const TEGRange& range);
    void UpdateHint();
    int HintRow(const TPoints& points, int column, const TEGRange& range);
    static int CursorHeight();

    // Properties.
    long double aspectRatio_ = 1;
    QString bgImage_;
    TBgStyle bgStyle_ = bgsSolid;
    TBorderStyle borderStyle_ = bstNone;
    TColor colorAxis_ = clBlack;
    TColor colorBg_ = clBtnFace;
    TColor colorBg2_ = clBtnShadow;
    TColor colorBorder_ = clBlack;
    TColor colorGrid_ = clGray;
    TColor colorNumb_ = clBlack;
    TBorderStyle graphBorder_ = bstLowered;
    TGridStyle gridStyle_ = gsFull;
    bool maintainRatio_ = false;
    TMouseAction mousePan_ = maRight;
    TMouseAction mouseZoom_ = maRight;
    TMouseAction mouseFuncHint_ = maShift;
    bool numbHoriz_ = true;
    bool numbVert_ = true;
    TEGQuadrant quadrant_ = egqAll;
    int zoomTime_ = 200;

    TNotifyEvent onChange_;
    TNotifyEvent onVisChange_;
    TEGLabelingEvent onXLabeling_;
    TEGLabelingEvent onYLabeling_;
    TNotifyEvent onClick_;
    TNotifyEvent onDblClick_;
    TGraphMouseEvent onMouseDown_;
    TGraphMouseEvent onMouseUp_;

    // Model and rendering state.
    std::unique_ptr<TSeries> series_;
    TMDParser parser_;
    TEGRange range_;
    TGraphRect frameInner_;
    TGraphRect plotRect_;
    QImage backBuffer_;
    QImage background_; // null while absent
    bool needsRender_ = true;
    bool backgroundDirty_ = true;
    int bufferDepth_ = 0;
    int renderTime_ = 0;
    int updateLock_ = 0;
    int textHeight_ = 0;
    int textAscent_ = 0;
    int verticalSampleWidth_ = 0;
    std::vector<TTick> ticks_;
    TTraceBuilder trace_;
    TSeriesPlotter plotter_;

    // Interaction state.
    int mouseMode_ = 0;
    QPoint lastPosition_;
    int moveCount_ = 0;
    QPoint zoomStart_;
    QPoint zoomEnd_;
    bool rubberBandShown_ = false;
    bool hintCaptured_ = false;
    TEGHintForm* hint_ = nullptr; // a child window, destroyed with the graph
    std::unique_ptr<TZoomThread> zoomThread_;
};

} // namespace ondrix::graph
