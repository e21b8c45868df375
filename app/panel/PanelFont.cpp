#include "app/panel/PanelFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace ondrix::app {

QFont DisplayFont()
{
    // A pixel face of 6 x 12 cells: sharp at 1x and 2x when given in pixels.
    static const int id = QFontDatabase::addApplicationFont(":/panel/ondrix-display.ttf");
    const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
    QFont font = families.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont(families.front());
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(families.isEmpty() ? 10 : 12);
    // Its outlines are whole pixels already: hinting them only costs time.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QFont CaptionFont()
{
    // "I/O Address" fits its 65-pixel key in the condensed face.
    QFont font("DejaVu Sans Condensed");
    font.setPixelSize(9);
    return font;
}

} // namespace ondrix::app
