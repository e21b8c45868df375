#include "app/panel/PanelFont.h"

#include <QFontDatabase>

namespace ondrix::app {

QFont DisplayFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(10);
    return font;
}

QFont CaptionFont()
{
    QFont font;
    font.setPixelSize(11);
    return font;
}

} // namespace ondrix::app
