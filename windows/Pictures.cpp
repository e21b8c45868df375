#include "windows/Pictures.h"

#include <QImageReader>
#include <stdexcept>

namespace ondrix::windows::pictures {

QString PinoutResource(int index)
{
    return QStringLiteral(":/pinouts/PINOUT%1.png").arg(index);
}

QImage Load(const QString& resource, const char* format)
{
    QImageReader reader(resource, format);
    QImage image = reader.read();
    if (image.isNull())
        throw std::runtime_error("Picture " + resource.toStdString() +
                                 " cannot be loaded: " + reader.errorString().toStdString());
    return image;
}

} // namespace ondrix::windows::pictures
