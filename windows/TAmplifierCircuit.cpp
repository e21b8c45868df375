#include "windows/TAmplifierCircuit.h"

#include "windows/Pictures.h"

#include <QPainter>
#include <exception>

namespace ondrix::windows {

TAmplifierCircuit::TAmplifierCircuit(WindowServices services)
{
    services = WithDefaults(std::move(services));
    MakeAuxiliary(*this);
    setWindowTitle(QStringLiteral("Common Emitter Amplifier"));
    resize(544, 375);
    try {
        picture_ = pictures::Load(QString::fromLatin1(pictures::kCircuitResource), "jpeg");
    } catch (const std::exception& error) {
        services.showError(error.what());
    }
}

void TAmplifierCircuit::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!picture_.isNull()) painter.drawImage(rect(), picture_);
}

} // namespace ondrix::windows
