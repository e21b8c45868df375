// The value hint: a small borderless window that shows the world coordinates
// under the pointer and the series passing through it.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

namespace ondrix::graph {

class TEGHintForm : public QWidget
{
  public:
    static constexpr int HintWidth = 80;
    static constexpr int HintHeight = 50;

    // A top-level tool window owned (and destroyed) by `owner`.
    explicit TEGHintForm(QWidget* owner);

    void SetCoordinates(const QString& xText, const QString& yText);
    void SetHitSeries(const QString& text, QRgb color);
    void ClearHitSeries();
    // Redraws the bitmap from the texts and repaints the window.
    void Redraw();

    const QString& XText() const { return xText_; }
    const QString& YText() const { return yText_; }
    const QString& SeriesText() const { return seriesText_; }
    bool SeriesHit() const { return seriesHit_; }
    QRgb SeriesColor() const { return seriesColor_; }
    const QImage& Bitmap() const { return bitmap_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void DrawRightAligned(class QPainter& painter, const QString& text, int right, int top);

    QImage bitmap_;
    QString xText_;
    QString yText_;
    QString seriesText_;
    QRgb seriesColor_ = 0;
    bool seriesHit_ = false;
};

} // namespace ondrix::graph
