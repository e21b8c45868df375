// Colour values of the graph: plain $00BBGGRR colours and the three system
// colours it uses, resolved against a widget palette.
#pragma once

#include "graph/GraphTypes.h"

#include <QColor>
#include <QPalette>

namespace ondrix::graph {

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clGray = 0x808080;

inline constexpr TColor clSystemColorFlag = 0x80000000;
inline constexpr TColor clBtnFace = 0x8000000F;
inline constexpr TColor clBtnShadow = 0x80000010;
inline constexpr TColor clBtnHighlight = 0x80000014;

// A plain colour from its red, green and blue channels.
constexpr TColor RGBColor(unsigned red, unsigned green, unsigned blue)
{
    return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}

// The plain RGB value of a colour: system colours come from the palette (button
// face, shadow and highlight); an unknown system colour resolves to black.
QRgb ResolveColor(TColor color, const QPalette& palette);
QColor ToQColor(TColor color, const QPalette& palette);

} // namespace ondrix::graph
