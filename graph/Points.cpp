#include "graph/Points.h"

namespace ondrix::graph {

void TPoints::SetColor(TColor color)
{
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TPoints::SetExpression(const std::string& text)
{
    expression_ = text;
    stripped_ = StripExpression(text);
    Changed();
}

// The other members report their changes too: a caller that hides a series or
// changes its style expects the plot to follow.
void TPoints::SetDomainMin(long double value)
{
    if (value == domainMin_) return;
    domainMin_ = value;
    Changed();
}

void TPoints::SetDomainMax(long double value)
{
    if (value == domainMax_) return;
    domainMax_ = value;
    Changed();
}

void TPoints::SetStyle(TEGDrawStyle style)
{
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TPoints::SetVisible(bool visible)
{
    if (visible == visible_) return;
    visible_ = visible;
    Changed();
}

std::string TPoints::StripExpression(const std::string& text)
{
    std::string kept;
    kept.reserve(text.size());
    for (char c : text) {
        const bool punctuationOrDigit = c >= '(' && c <= '9';
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (punctuationOrDigit || letter || c == '^') kept += c;
    }
    return kept;
}

void TPoints::Changed()
{
    if (onChange_) onChange_();
}

} // namespace ondrix::graph
