// The about box: the texts its show operation works out (character type,
// product name, version, home page), its layout, and its clicks.
#include "windows/AboutTexts.h"
#include "windows/TAboutBox.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace ondrix::windows {
namespace {

TEST(AboutTexts, CharacterTypeProductNameAndVersion)
{
    EXPECT_EQ(about::CharTypeText(0), "ANSI-Char");
    EXPECT_EQ(about::CharTypeText(1), "WIDE-Char");
    EXPECT_EQ(about::CharTypeText(2), "ANSI-Char");
    EXPECT_EQ(about::CharTypeText(3), "ANSI-Char");

    EXPECT_EQ(about::ProductNameText(about::kProductNameTemplate, "Ondrix"), "Brevant Ondrix");
    EXPECT_EQ(about::ProductNameText(about::kProductNameTemplate, "100%s %d"), "Brevant 100%s %d");
    EXPECT_EQ(about::ProductNameText("No place", "Ondrix"), "No place");

    EXPECT_EQ(about::VersionText("2.0.0.0"), "Version 2.0.0.0");
    EXPECT_EQ(about::VersionText("1.0.0"), "Version 1.0.0.0");
    EXPECT_EQ(about::VersionText("3"), "Version 3.0.0.0");
    for (const char* broken : {"", "1.2.3.4.5", "1..2", "1.", "x", "1.2a", "65536.0.0.0", "-1"})
        EXPECT_EQ(about::VersionText(broken), "Unknown version") << broken;

    EXPECT_EQ(about::BitnessText(), sizeof(void*) == 8 ? "64-Bit" : "32-Bit");
}

TEST(AboutTexts, HomePageIsTheSiteWithTheSuffixOrAnAddressOfItsOwn)
{
    const std::string site(about::kMakerSite);
    EXPECT_EQ(about::HomePageAddress(""), site);
    EXPECT_EQ(about::HomePageAddress("ondrix/"), site + "ondrix/");
    EXPECT_EQ(about::HomePageAddress("HTTPS://example.org/ondrix"), "HTTPS://example.org/ondrix");
    EXPECT_EQ(about::HomePageAddress("Http://example.org"), "Http://example.org");
    EXPECT_EQ(about::HomePageAddress("https://"), "https://");
    EXPECT_EQ(about::HomePageAddress("http:/x"), site + "http:/x");
    EXPECT_EQ(about::HomePageAddress("ftp://example.org"), site + "ftp://example.org");
}

class AboutBox : public ::testing::Test
{
  protected:
    TAboutBox box{{{}, [this](const QUrl& url) {
                       opened.push_back(url.toString().toStdString());
                       return false; // failures are ignored
                   }}};
    std::vector<std::string> opened;
};

TEST_F(AboutBox, ShowFillsTheTextsAndLaysOutTheDialog)
{
    EXPECT_FALSE(box.isVisible());
    box.ShowAbout("Ondrix", "The credit line", 2, "");
    EXPECT_TRUE(box.isVisible());
    EXPECT_FALSE(box.isModal());
    EXPECT_EQ(box.windowTitle(), "About");
    EXPECT_EQ(box.size(), QSize(525, 405));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    EXPECT_EQ(box.ProductName().text(), "Brevant Ondrix");
    EXPECT_TRUE(box.Version().text().startsWith("Version ") || box.Version().text() == "Unknown version");
    EXPECT_EQ(box.Version().text(), QString::fromStdString(about::VersionText(ONDRIX_VERSION)));
    EXPECT_EQ(box.CharType().text(), "ANSI-Char");
    EXPECT_TRUE(box.CharType().isVisible());
    EXPECT_EQ(box.AppType().text(), QString::fromStdString(about::BitnessText()));
    EXPECT_EQ(box.Comments().text(), "The credit line");
    EXPECT_EQ(box.HomePage().toStdString(), about::kMakerSite);
    EXPECT_EQ(box.Banner().geometry(), QRect(0, 0, 525, 201));
    EXPECT_EQ(box.AppType().geometry(), QRect(288, 144, 233, 22));
    EXPECT_EQ(box.CharType().geometry(), QRect(280, 40, 241, 22));
    EXPECT_EQ(box.Banner().toolTip(), "Click here to visit my website");
    EXPECT_EQ(box.AppType().toolTip(), box.Banner().toolTip());
    EXPECT_EQ(box.ProgramIcon().toolTip(), "Click here to visit the app homepage");
    EXPECT_FALSE(box.ProgramIcon().pixmap().isNull());

    box.ShowAbout("Other", "", 1, "hTTp://example.org/home");
    EXPECT_EQ(box.ProductName().text(), "Brevant Other");
    EXPECT_EQ(box.CharType().text(), "WIDE-Char");
    EXPECT_EQ(box.HomePage(), "hTTp://example.org/home");
}

TEST_F(AboutBox, ClicksOpenTheSitesAndOkHides)
{
    box.ShowAbout("Ondrix", "", 2, "ondrix/");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QTest::mouseClick(&box.Banner(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseClick(&box.AppType(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(&box.ProgramIcon(), Qt::LeftButton, {}, QPoint(10, 10));
    const std::string site(about::kMakerSite);
    EXPECT_EQ(opened, (std::vector<std::string>{site, site, site + "ondrix/"}));
    EXPECT_TRUE(box.isVisible());

    QPushButton* ok = box.findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->geometry(), QRect(215, 372, 75, 25));
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_TRUE(box.isHidden());
}

} // namespace
} // namespace ondrix::windows
