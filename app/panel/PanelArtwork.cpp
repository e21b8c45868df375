#include "app/panel/PanelArtwork.h"

#include <QBitmap>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QSvgRenderer>
#include <map>
#include <tuple>

namespace ondrix::app {

namespace {

constexpr const char* kArtwork = ":/panel/panel.svg";

QSvgRenderer& Artwork()
{
    static QSvgRenderer renderer;
    static const bool loaded = QFile::exists(kArtwork) && renderer.load(QString(kArtwork));
    (void)loaded;
    return renderer;
}

// The artwork rendered at a pixel ratio, once: a render costs milliseconds.
const QPixmap& Rendered(const QSize& size, qreal pixelRatio)
{
    static std::map<std::tuple<int, int, qreal>, QPixmap> cache;
    QPixmap& pixmap = cache[{size.width(), size.height(), pixelRatio}];
    if (pixmap.isNull()) {
        pixmap = QPixmap(size * pixelRatio);
        pixmap.setDevicePixelRatio(pixelRatio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        Artwork().render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    return pixmap;
}

// The colour key, with the rim the smoothed outline blends into it: green
// well above both red and blue.
bool IsKey(QRgb pixel)
{
    return qGreen(pixel) > qRed(pixel) + 8 && qGreen(pixel) > qBlue(pixel) + 8;
}

} // namespace

void PaintPanel(QPainter& painter, const QRect& area)
{
    if (!Artwork().isValid()) {
        // Without its artwork the panel is a plain dark case.
        painter.fillRect(area, QColor(58, 62, 68));
        return;
    }
    painter.drawPixmap(area.topLeft(), Rendered(area.size(), painter.device()->devicePixelRatioF()));
}

QRegion PanelShape()
{
    if (!Artwork().isValid()) return {};
    // The 1x render the first paint uses anyway: the artwork is drawn once.
    const QImage image = Rendered(Artwork().defaultSize(), 1).toImage().convertToFormat(QImage::Format_ARGB32);
    QImage opaque(image.size(), QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(opaque.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            out[x] = IsKey(line[x]) ? 0 : 0xFF000000;
    }
    return QRegion(QBitmap::fromImage(opaque.createAlphaMask()));
}

} // namespace ondrix::app
