#pragma once

#include "windows/WindowServices.h"

#include <QDialog>
#include <cstdint>

class QLabel;

namespace ondrix::windows {

// The about dialog: a banner with the character-type and bitness captions over
// it, and a panel with the program icon, product name, version and a comment.
class TAboutBox : public QDialog
{
  public:
    explicit TAboutBox(WindowServices services);

    // Fills the dialog and shows it (not modally). flags: 1 shows "WIDE-Char",
    // 2 "ANSI-Char". homePageSuffix is appended to the maker's site unless it is
    // an address of its own.
    void ShowAbout(const QString& productName, const QString& comments, std::uint8_t flags,
                   const QString& homePageSuffix);

    const QString& HomePage() const { return homePage_; }
    QLabel& CharType() { return *charType_; }
    QLabel& AppType() { return *appType_; }
    QLabel& ProductName() { return *productName_; }
    QLabel& Version() { return *version_; }
    QLabel& Comments() { return *comments_; }
    QLabel& ProgramIcon() { return *programIcon_; }
    QLabel& Banner() { return *banner_; }

  private:
    void BuildBanner();
    void BuildPanel();
    void CentreOnScreen();

    WindowServices services_;
    QString productNameTemplate_;
    QString homePage_;
    QLabel* banner_ = nullptr;
    QLabel* appType_ = nullptr;
    QLabel* charType_ = nullptr;
    QLabel* programIcon_ = nullptr;
    QLabel* productName_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* comments_ = nullptr;
};

} // namespace ondrix::windows
