// The reference pictures and their windows: sizes, the JPEG decoder, a
// double click that replaces the picture without growing the window, and a
// missing picture.
#include "windows/Pictures.h"
#include "windows/AuxiliaryWindows.h"
#include "windows/TAboutBox.h"
#include "windows/TAmplifierCircuit.h"
#include "windows/THelp.h"
#include "windows/TPinouts.h"

#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace ondrix::windows {
namespace {

TEST(Pictures, LoadAtTheirSizes)
{
    const QSize sizes[] = {{860, 679}, {400, 329}, {1010, 358}};
    for (int index = 0; index < 3; ++index)
        EXPECT_EQ(pictures::Load(pictures::PinoutResource(index)).size(), sizes[index]) << index;
    QImageReader circuit(QString::fromLatin1(pictures::kCircuitResource));
    EXPECT_EQ(circuit.format(), "jpeg");
    EXPECT_FALSE(pictures::Load(QString::fromLatin1(pictures::kCircuitResource), "jpeg").isNull());
    EXPECT_THROW(pictures::Load(pictures::PinoutResource(3)), std::runtime_error);
}

TEST(PinoutsWindow, DoubleClickReplacesThePictureCutAtTheEdge)
{
    std::vector<std::string> errors;
    TPinouts pinouts({[&](const std::string& error) { errors.push_back(error); }, {}});
    EXPECT_EQ(pinouts.windowTitle(), "Pinouts");
    EXPECT_EQ(pinouts.List().width(), 121);
    pinouts.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pinouts));
    EXPECT_TRUE(pinouts.Image().pixmap().isNull());

    QListWidget& list = pinouts.List();
    const auto doubleClick = [&](int row) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(row)).center());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(row)).center());
    };
    doubleClick(0);
    EXPECT_EQ(pinouts.Image().pixmap().size(), QSize(860, 679));
    doubleClick(2);
    EXPECT_EQ(pinouts.Image().pixmap().size(), QSize(1010, 358));
    EXPECT_EQ(pinouts.size(), QSize(544, 375)) << "the picture is cut off, not grown into";

    pinouts.LoadPicture(3);
    EXPECT_EQ(pinouts.Image().pixmap().size(), QSize(1010, 358));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].starts_with("Picture :/pinouts/PINOUT3.png cannot be loaded")) << errors[0];
}

TEST(AmplifierWindow, StretchesThePictureToTheWindow)
{
    TAmplifierCircuit amplifier({});
    EXPECT_EQ(amplifier.windowTitle(), "Common Emitter Amplifier");
    for (const QSize size : {QSize(300, 100), QSize(120, 400)}) {
        amplifier.resize(size);
        const QImage shown = amplifier.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage expected = amplifier.Picture()
                                    .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                    .convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shown.size(), size);
        // Smooth scaling may differ a little pixel by pixel; the picture must match on average.
        double difference = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                difference += std::abs(qGray(shown.pixel(x, y)) - qGray(expected.pixel(x, y)));
        EXPECT_LT(difference / (size.width() * size.height()), 12.0) << size.width() << "x" << size.height();
    }
}

TEST(AuxiliaryWindowsOwner, CreatesHiddenAndShowsEachWithoutBlocking)
{
    AuxiliaryWindows windows;
    EXPECT_FALSE(windows.Help().isVisible());
    EXPECT_FALSE(windows.Pinouts().isVisible());
    EXPECT_FALSE(windows.Amplifier().isVisible());
    EXPECT_FALSE(windows.About().isVisible());
    windows.ShowManual();
    windows.ShowPinouts();
    windows.ShowAmplifier();
    windows.ShowAbout("Ondrix");
    EXPECT_TRUE(windows.Amplifier().windowState() & Qt::WindowMaximized);
    for (QWidget* window : std::initializer_list<QWidget*>{&windows.Help(), &windows.Pinouts(),
                                                           &windows.Amplifier(), &windows.About()}) {
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->isModal());
        EXPECT_FALSE(window->testAttribute(Qt::WA_QuitOnClose));
        window->close();
        EXPECT_TRUE(window->isHidden());
    }
}

} // namespace
} // namespace ondrix::windows
