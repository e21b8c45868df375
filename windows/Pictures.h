#pragma once

#include <QImage>
#include <QString>

// The reference pictures compiled into the program.
namespace ondrix::windows::pictures {

// "PINOUT0".."PINOUT2": the connector pinouts (PNG).
QString PinoutResource(int index);
// The common-emitter amplifier circuit, a JPEG.
inline constexpr const char* kCircuitResource = ":/circuit/amplifier.jpg";

// Decodes a picture; throws std::runtime_error naming it when it is missing or broken.
QImage Load(const QString& resource, const char* format = nullptr);

} // namespace ondrix::windows::pictures
