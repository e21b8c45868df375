// One series of the graph: a formula y = f(x) with its colour, drawing style,
// x domain and visibility.
#pragma once

#include "graph/GraphColor.h"

#include <functional>
#include <limits>
#include <string>

namespace ondrix::graph {

class TPoints
{
  public:
    // No limit in practice: the widest range an extended number spans.
    static constexpr long double NoDomainLimit = 1.1e4932L;

    TColor Color() const { return color_; }
    // Ignored when equal; otherwise stored and reported as a series change.
    void SetColor(TColor color);

    // The text exactly as the caller set it.
    const std::string& Expression() const { return expression_; }
    // Always stored (also when equal) and reported as a series change.
    void SetExpression(const std::string& text);
    // What the parser compiles: the expression without blanks or any character
    // outside ( ) * + , - . / 0-9 A-Z a-z ^.
    const std::string& StrippedExpression() const { return stripped_; }

    long double DomainMin() const { return domainMin_; }
    long double DomainMax() const { return domainMax_; }
    void SetDomainMin(long double value);
    void SetDomainMax(long double value);

    TEGDrawStyle Style() const { return style_; }
    void SetStyle(TEGDrawStyle style);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    // Wired by the owning list; called after every change of this series.
    void SetOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }

    static std::string StripExpression(const std::string& text);

  private:
    void Changed();

    TColor color_ = clRed;
    std::string expression_;
    std::string stripped_;
    long double domainMin_ = -NoDomainLimit;
    long double domainMax_ = NoDomainLimit;
    TEGDrawStyle style_ = egdLine;
    bool visible_ = true;
    std::function<void()> onChange_;
};

} // namespace ondrix::graph
