// Formulas and generated expressions the parser benchmarks run.
#pragma once

#include <string>
#include <vector>

namespace ondrix::bench {

struct ReferenceFormula
{
    const char* name;
    std::string ondrix;   // blanks removed, as the graph passes it
    std::string muparser; // the same formula in muparser's syntax
    long double (*floor)(long double x, long double b);
};

// The three formulas measured against muparser and the floor.
const std::vector<ReferenceFormula>& ReferenceFormulas();
// The front panel's seven plot series, blanks removed.
const std::vector<std::string>& PanelSeries();
// A valid expression of about `length` characters that stays within the
// nesting and width limits (deterministic for a given length).
std::string GeneratedExpression(std::size_t length);

} // namespace ondrix::bench
