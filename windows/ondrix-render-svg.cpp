// Renders an SVG drawing to a PNG or JPEG picture of the given size.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: ondrix-render-svg IN.svg OUT.png|OUT.jpg WIDTH HEIGHT\n");
        return 2;
    }
    if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: not a drawing this renderer can read\n", argv[1]);
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[2]);
    QImage image(std::atoi(argv[3]), std::atoi(argv[4]), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    renderer.render(&painter);
    painter.end();
    const bool jpeg = out.endsWith(QStringLiteral(".jpg"));
    // Line art keeps few colours: a palette makes the PNGs small.
    const QImage stored = jpeg ? image : image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    if (!stored.save(out, jpeg ? "JPEG" : "PNG", jpeg ? 92 : -1)) {
        std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
        return 1;
    }
    return 0;
}
