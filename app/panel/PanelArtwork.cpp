#include "app/panel/PanelArtwork.h"

#include <QBitmap>
#include <QFile>
#include <QImage>
#include <QSvgRenderer>

namespace ondrix::app {

namespace {

constexpr const char* kArtwork = ":/panel/panel.svg";
const QColor kColourKey(0, 128, 0);

QSvgRenderer& Artwork()
{
    static QSvgRenderer renderer;
    static const bool loaded = QFile::exists(kArtwork) && renderer.load(QString(kArtwork));
    (void)loaded;
    return renderer;
}

} // namespace

void PaintPanel(QPainter& painter, const QRect& area)
{
    if (Artwork().isValid()) {
        Artwork().render(&painter, area);
        return;
    }
    // Without its artwork the panel is a plain dark case.
    painter.fillRect(area, QColor(58, 62, 68));
}

QRegion PanelShape()
{
    if (!Artwork().isValid()) return {};
    QImage image(Artwork().defaultSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    // No smoothing at the outline, so its edge never blends into the key.
    painter.setRenderHint(QPainter::Antialiasing, false);
    Artwork().render(&painter);
    painter.end();
    const QImage key = image.createMaskFromColor(kColourKey.rgb(), Qt::MaskOutColor);
    return QRegion(QBitmap::fromImage(key));
}

} // namespace ondrix::app
