#include "windows/TAboutBox.h"

#include "windows/AboutTexts.h"
#include "windows/ClickableLabel.h"

#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QSvgRenderer>
#include <cmath>
#include <numbers>

#ifndef ONDRIX_VERSION
#define ONDRIX_VERSION ""
#endif

namespace ondrix::windows {
namespace {

// Which character captions the dialog carries: 1 ANSI, 2 wide; this program is 1.
constexpr int kCharacterType = 1;
constexpr QSize kBannerSize(525, 201);
constexpr QSize kIconSize(65, 57);
const QString kWebsiteHint = QStringLiteral("Click here to visit my website");
const QString kHomePageHint = QStringLiteral("Click here to visit the app homepage");

QPixmap RenderSvg(const QString& resource, QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    if (!renderer.isValid()) return {};
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), size)); // stretched, as the dialog shows it
    return pixmap;
}

// Drawn when the program's icon is not among the resources: a sine on a dark face.
QPixmap FallbackIcon(QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(30, 40, 48));
    painter.setPen(QPen(QColor(120, 130, 140), 2));
    painter.drawRoundedRect(QRectF(2, 2, size.width() - 4, size.height() - 4), 8, 8);
    QPainterPath wave;
    const double middle = size.height() / 2.0;
    for (int x = 8; x <= size.width() - 8; ++x) {
        const double y = middle - (size.height() / 2.0 - 12) *
                                      std::sin((x - 8) * 2 * std::numbers::pi / (size.width() - 16));
        if (x == 8)
            wave.moveTo(x, y);
        else
            wave.lineTo(x, y);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(80, 230, 120), 3));
    painter.drawPath(wave);
    return pixmap;
}

QLabel* StyleCaption(QLabel* label, QRect geometry, const char* colour, QFont font)
{
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("background: transparent; color: %1;").arg(QLatin1String(colour)));
    label->setFont(font);
    return label;
}

} // namespace

TAboutBox::TAboutBox(WindowServices services) : services_(WithDefaults(std::move(services)))
{
    MakeAuxiliary(*this);
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(525, 405);
    setModal(false);
    BuildBanner();
    BuildPanel();

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(215, 372, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    productNameTemplate_ = productName_->text();
    homePage_ = QString::fromStdString(about::HomePageAddress(""));
}

void TAboutBox::BuildBanner()
{
    const auto openWebsite = [this] { services_.openUrl(QUrl(QString::fromLatin1(about::kMakerSite))); };
    banner_ = new ClickableLabel(this, openWebsite);
    banner_->setGeometry(0, 0, kBannerSize.width(), kBannerSize.height());
    banner_->setPixmap(RenderSvg(QStringLiteral(":/about/banner.svg"), kBannerSize));
    banner_->setToolTip(kWebsiteHint);

    QFont engraved(QStringLiteral("Engravers MT"));
    engraved.setStyleHint(QFont::Serif);
    engraved.setPixelSize(19);
    engraved.setBold(true);
    appType_ =
        StyleCaption(new ClickableLabel(this, openWebsite), QRect(288, 144, 233, 22), "yellow", engraved);
    appType_->setText(QString::fromStdString(about::BitnessText()));
    appType_->setToolTip(banner_->toolTip());

    QFont stencil(QStringLiteral("Stencil"));
    stencil.setStyleHint(QFont::Decorative);
    stencil.setPixelSize(19);
    stencil.setBold(true);
    charType_ = StyleCaption(new QLabel(this), QRect(280, 40, 241, 22), "aqua", stencil);
    charType_->setVisible(kCharacterType == 1 || kCharacterType == 2);
    charType_->setText(kCharacterType == 2 ? QStringLiteral("WIDE-Char") : QStringLiteral("ANSI-Char"));
}

void TAboutBox::BuildPanel()
{
    auto* panel = new QFrame(this);
    panel->setGeometry(8, 208, 513, 161);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);

    programIcon_ = new ClickableLabel(panel, [this] { services_.openUrl(QUrl(homePage_)); });
    programIcon_->setGeometry(8, 8, kIconSize.width(), kIconSize.height());
    programIcon_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    programIcon_->setScaledContents(true);
    const QString icon = QStringLiteral(":/icons/ondrix.svg");
    QPixmap iconPixmap = QFile::exists(icon) ? RenderSvg(icon, kIconSize) : QPixmap();
    programIcon_->setPixmap(iconPixmap.isNull() ? FallbackIcon(kIconSize) : iconPixmap);
    programIcon_->setToolTip(kHomePageHint);

    QFont large = font();
    large.setPointSize(12);
    large.setBold(true);
    productName_ = new QLabel(QStringLiteral("Brevant %s"), panel);
    productName_->move(88, 16);
    productName_->setFont(large);
    productName_->setMinimumWidth(400);
    version_ = new QLabel(panel);
    version_->move(88, 40);
    version_->setMinimumWidth(400);
    comments_ = new QLabel(panel);
    comments_->setGeometry(8, 104, 497, 49);
    comments_->setWordWrap(true);
    comments_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TAboutBox::ShowAbout(const QString& productName, const QString& comments, std::uint8_t flags,
                          const QString& homePageSuffix)
{
    charType_->setText(QString::fromStdString(about::CharTypeText(flags)));
    productName_->setText(QString::fromStdString(
        about::ProductNameText(productNameTemplate_.toStdString(), productName.toStdString())));
    version_->setText(QString::fromStdString(about::VersionText(ONDRIX_VERSION)));
    comments_->setText(comments);
    homePage_ = QString::fromStdString(about::HomePageAddress(homePageSuffix.toStdString()));
    CentreOnScreen();
    show();
    raise();
    activateWindow();
}

void TAboutBox::CentreOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

} // namespace ondrix::windows
