// Build-time tool: renders the program icon's SVG into a square PNG of the
// given size, for the hicolor icon theme.
//
//   ondrix-render-icon SOURCE.svg SIZE TARGET.png
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: ondrix-render-icon SOURCE.svg SIZE TARGET.png\n");
        return 2;
    }
    const int size = std::atoi(argv[2]);
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid() || size < 1 || size > 1024) {
        std::fprintf(stderr, "ondrix-render-icon: cannot render %s at %s pixels\n", argv[1], argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();

    // Whole or not at all: a half-written icon would be installed as it is.
    QSaveFile target(QString::fromLocal8Bit(argv[3]));
    if (!target.open(QIODevice::WriteOnly) || !image.save(&target, "PNG") || !target.commit()) {
        std::fprintf(stderr, "ondrix-render-icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
