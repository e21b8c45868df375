#include "graph/NumberFormat.h"

#include <QLocale>
#include <cmath>

namespace ondrix::graph {

QString FormatFixed(long double value, int decimals)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    // A tick that should be zero often arrives as -1e-16; it reads 0, not -0.
    const long double unit = std::pow(10.0L, -decimals) / 2;
    if (std::fabs(value) < unit) value = 0;
    return locale.toString(static_cast<double>(value), 'f', decimals);
}

} // namespace ondrix::graph
