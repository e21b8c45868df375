// The value types shared by the graph component: colours, styles, the visible
// range, pixel rectangles and the event signatures.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

namespace ondrix::graph {

// A colour as $00BBGGRR (red in the low byte). With the top bit set the value
// names a system colour instead (see GraphColor.h).
using TColor = std::uint32_t;

enum TBorderStyle : std::uint8_t { bstNone, bstSingle, bstRaised, bstLowered };
enum TBgStyle : std::uint8_t { bgsSolid, bgsLineHoriz, bgsLineVert, bgsImageStretch, bgsImageTile };
enum TGridStyle : std::uint8_t { gsNone, gsXAxis, gsYAxis, gsAxises, gsXGrid, gsYGrid, gsFull };
enum TEGQuadrant : std::uint8_t { egqAll, egqFirst, egqSecond, egqThird, egqFourth, egqRight, egqLeft };
enum TMouseAction : std::uint8_t { maNone, maRight, maShift, maCtrl, maAlt };
enum TEGDrawStyle : std::uint8_t { egdLine, egdDots };

// The visible range in world coordinates: left, bottom, right and top edge.
struct TEGRange
{
    long double XMin = -10;
    long double YMin = -10;
    long double XMax = 10;
    long double YMax = 10;

    bool operator==(const TEGRange&) const = default;
};

// A rectangle in control pixels. Which edges are inclusive depends on the use,
// exactly as the drawing steps state it; the plot area spans the columns Left
// to Right and the rows Top to Bottom, both ends included.
struct TGraphRect
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    bool operator==(const TGraphRect&) const = default;
    // Inclusive on every edge.
    bool Contains(int x, int y) const { return x >= Left && x <= Right && y >= Top && y <= Bottom; }
};

class TEasyGraph;

using TNotifyEvent = std::function<void(TEasyGraph* Sender)>;
// Writes the label text for Val into Lbl (which the graph empties first).
using TEGLabelingEvent = std::function<void(TEasyGraph* Sender, long double Val, QString& Lbl)>;

} // namespace ondrix::graph
