// Numbers as the graph prints them: fixed point with the user's decimal
// separator and no thousands separators.
#pragma once

#include <QString>

namespace ondrix::graph {

QString FormatFixed(long double value, int decimals);

} // namespace ondrix::graph
