// The front-panel artwork and the display face, as the window uses them: every control face
// where its control sits, the window's shape from the colour key, and a display face that
// fits the status text and scales on a 2x screen.
#include <QBitmap>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <gtest/gtest.h>

namespace {

const QRgb keyColour = qRgb(0, 128, 0);

// The colour key or an anti-aliased blend of it with the case's dark edge: green ahead of both
// red and blue by more than 8. Everything inside the case stays below that.
bool keyTinted(QRgb pixel)
{
    return qGreen(pixel) > qRed(pixel) + 8 && qGreen(pixel) > qBlue(pixel) + 8;
}

struct ControlFace
{
    const char* id;
    QRect rect;  // client pixels of the control laid over the face
};

const ControlFace controlFaces[] = {
    {"power", {280, 72, 25, 25}},         {"rec", {312, 72, 25, 25}},
    {"sweep", {344, 72, 17, 25}},         {"digit-10000", {368, 72, 25, 25}},
    {"digit-1000", {400, 72, 25, 25}},    {"digit-100", {432, 72, 25, 25}},
    {"digit-10", {464, 72, 25, 25}},      {"digit-1", {496, 72, 25, 25}},
    {"square", {536, 72, 25, 25}},        {"waveform-menu", {568, 72, 25, 25}},
    {"sine", {600, 72, 25, 25}},          {"frequency-updown", {136, 184, 17, 49}},
    {"edit", {152, 192, 25, 33}},         {"amplitude", {376, 128, 33, 33}},
    {"io-address", {424, 128, 65, 33}},   {"comport", {496, 120, 129, 41}},
    {"active", {280, 144, 73, 17}},       {"output-1", {384, 208, 33, 17}},
    {"output-2", {448, 208, 33, 17}},     {"output-3", {520, 208, 33, 17}},
    {"output-4", {584, 208, 33, 17}},     {"display", {64, 72, 209, 73}},
};

class PanelArtworkTest : public ::testing::Test
{
  protected:
    QSvgRenderer svg{QStringLiteral(":/panel/panel.svg")};

    QImage Render()
    {
        QImage image(701, 260, QImage::Format_RGB32);
        QPainter painter(&image);
        svg.render(&painter);
        return image;
    }

    // The case element alone: a pixel belongs to the window when the case covers at least half of it.
    QImage CaseCoverage()
    {
        QImage image(701, 260, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        svg.render(&painter, QStringLiteral("case"), svg.boundsOnElement(QStringLiteral("case")));
        return image;
    }
};

TEST_F(PanelArtworkTest, IsOneUserUnitPerClientPixel)
{
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.defaultSize(), QSize(701, 260));
    EXPECT_EQ(svg.viewBoxF(), QRectF(0, 0, 701, 260));
}

TEST_F(PanelArtworkTest, EveryControlFaceLiesAtItsControl)
{
    for (const ControlFace& face : controlFaces) {
        ASSERT_TRUE(svg.elementExists(face.id)) << face.id;
        EXPECT_EQ(svg.boundsOnElement(face.id), QRectF(face.rect)) << face.id;
    }
}

// The window's shape is the set of pixels that are not key-tinted: the case and, around it, the
// one-pixel dark rim under its anti-aliased edge; never a pixel inside the case, never the
// background farther out.
TEST_F(PanelArtworkTest, KeyColourShapesTheWindowLikeTheCaseOutline)
{
    const QImage panel = Render();
    const QImage coverage = CaseCoverage();
    EXPECT_EQ(panel.pixel(0, 0), keyColour);
    EXPECT_EQ(panel.pixel(700, 259), keyColour);
    EXPECT_EQ(panel.pixel(350, 20), keyColour) << "the opening under the handle";
    EXPECT_NE(panel.pixel(350, 8), keyColour) << "the handle bar";

    auto inCase = [&](int x, int y) {
        return coverage.rect().contains(x, y) && qAlpha(coverage.pixel(x, y)) >= 128;
    };
    auto nearCase = [&](int x, int y) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (inCase(x + dx, y + dy))
                    return true;
        return false;
    };
    int wrong = 0, background = 0;
    for (int y = 0; y < panel.height() && wrong < 5; ++y) {
        for (int x = 0; x < panel.width() && wrong < 5; ++x) {
            const QRgb pixel = panel.pixel(x, y);
            if (inCase(x, y)) {
                if (keyTinted(pixel) && ++wrong)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") inside the case is key-tinted";
            } else if (!nearCase(x, y)) {
                ++background;
                if (pixel != keyColour && ++wrong)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") outside the case is not the key";
            }
        }
    }
    EXPECT_GT(background, 10000);
}

// The mask as the panel's README builds it: every control whole (no key colour in any control
// area), the background and the opening under the handle cut away.
TEST_F(PanelArtworkTest, MaskFromTheKeyKeepsEveryControl)
{
    const QImage panel = Render();
    QImage opaque(panel.size(), QImage::Format_ARGB32);
    for (int y = 0; y < panel.height(); ++y)
        for (int x = 0; x < panel.width(); ++x)
            opaque.setPixel(x, y, keyTinted(panel.pixel(x, y)) ? 0 : 0xff000000);
    const QRegion shape(QBitmap::fromImage(opaque.createAlphaMask()));
    for (const ControlFace& face : controlFaces)
        EXPECT_EQ(shape.intersected(face.rect), QRegion(face.rect)) << face.id;
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(350, 20))) << "the opening under the handle";
    EXPECT_TRUE(shape.contains(QPoint(350, 8))) << "the handle bar";
}

class DisplayFaceTest : public ::testing::Test
{
  protected:
    static QFont Face()
    {
        static const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/panel/ondrix-display.ttf"));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        QFont font(families.value(0));
        font.setPixelSize(12);
        return font;
    }

    // Ink rectangle of a text drawn white on black into an image of the given pixel ratio.
    static QRect Ink(const QString& text, qreal ratio)
    {
        QImage image(QSize(60, 30) * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::black);
        QPainter painter(&image);
        painter.setFont(Face());
        painter.setPen(Qt::white);
        painter.drawText(QPointF(2, 20), text);
        painter.end();
        QRect ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) > 127)
                    ink |= QRect(x, y, 1, 1);
        return ink;
    }
};

TEST_F(DisplayFaceTest, IsAFixedPitchFaceThatFitsTheStatusBesideTheGraph)
{
    const QFont font = Face();
    ASSERT_EQ(font.family(), QStringLiteral("Ondrix Display"));
    EXPECT_TRUE(QFontInfo(font).exactMatch());
    EXPECT_TRUE(QFontInfo(font).fixedPitch());
    const QFontMetrics metrics(font);
    for (const char* line : {"Interface: I/O(0378)", "Amplitude: 100%", "Frequency: 20,000Hz", "Voltage: NAN(def)"})
        EXPECT_LE(metrics.horizontalAdvance(QString::fromLatin1(line)), 128) << line;
    EXPECT_LE(4 * metrics.lineSpacing(), 60);
}

TEST_F(DisplayFaceTest, ScalesWithTheScreenInsteadOfDrawingOneBitmapSize)
{
    const QRect single = Ink(QStringLiteral("I/O"), 1);
    const QRect twice = Ink(QStringLiteral("I/O"), 2);
    ASSERT_FALSE(single.isEmpty());
    EXPECT_EQ(twice.size(), single.size() * 2);
}

}  // namespace
