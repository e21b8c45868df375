#include "graph/QuadrantClip.h"

#include "graph/PixelRounding.h"

namespace ondrix::graph {

namespace {

struct TCutter
{
    TGraphRect Clip;
    int W;
    int H;
    const TEGRange& R;

    long double XSpan() const { return R.XMax - R.XMin; }
    long double YSpan() const { return R.YMax - R.YMin; }

    // Keep x >= 0 (first, fourth quadrant and the right half).
    void KeepRight()
    {
        if (R.XMin < 0) Clip.Left = Clip.Right - RoundToInt(W * R.XMax / XSpan()) - 1;
    }
    // Keep x <= 0 (second and third quadrant and the left half).
    void KeepLeft(int extra)
    {
        if (R.XMax > 0) Clip.Right = Clip.Left + RoundToInt(W * (-R.XMin) / XSpan()) + extra;
    }
    // Keep y >= 0.
    void KeepUpper(int extra)
    {
        if (R.YMin < 0) Clip.Bottom = Clip.Top + RoundToInt(H * R.YMax / YSpan()) + extra;
    }
    // Keep y <= 0.
    void KeepLower()
    {
        if (R.YMax > 0) Clip.Top = Clip.Bottom - RoundToInt(H * (-R.YMin) / YSpan());
    }
};

} // namespace

std::optional<TGraphRect> QuadrantClip(TEGQuadrant quadrant, const TGraphRect& plot, const TEGRange& range)
{
    const TGraphRect start{plot.Left, plot.Top, plot.Right + 1, plot.Bottom + 1};
    TCutter cut{start, start.Right - start.Left, start.Bottom - start.Top, range};
    switch (quadrant) {
    case egqAll:
        break;
    case egqFirst:
        if (range.XMax < 0 || range.YMax < 0) return std::nullopt;
        cut.KeepRight();
        cut.KeepUpper(0);
        break;
    case egqSecond:
        if (range.XMin > 0 || range.YMax < 0) return std::nullopt;
        cut.KeepLeft(1);
        cut.KeepUpper(1);
        break;
    case egqThird:
        if (range.XMin > 0 || range.YMin > 0) return std::nullopt;
        cut.KeepLeft(0);
        cut.KeepLower();
        break;
    case egqFourth:
        if (range.XMax < 0 || range.YMin > 0) return std::nullopt;
        cut.KeepRight();
        cut.KeepLower();
        break;
    case egqRight:
        if (range.XMax < 0) return std::nullopt;
        cut.KeepRight();
        break;
    case egqLeft:
        if (range.XMin > 0) return std::nullopt;
        cut.KeepLeft(0);
        break;
    }
    if (cut.Clip.Right < cut.Clip.Left) return std::nullopt;
    return cut.Clip;
}

} // namespace ondrix::graph
