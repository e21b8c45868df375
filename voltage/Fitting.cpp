#include "voltage/Fitting.h"

#include "voltage/VoltageError.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ondrix::voltage {

bool LinearFit(std::span<const double> x, std::span<const double> z, Coefficients& coefficients)
{
    const std::size_t count = std::min(x.size(), z.size());
    if (count <= 1) return false;
    double sx = 0.0, sz = 0.0, sxz = 0.0, sxx = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        sx += x[i];
        sz += z[i];
        sxz += x[i] * z[i];
        sxx += x[i] * x[i];
    }
    const double n = static_cast<double>(count);
    const double denominator = n * sxx - sx * sx;
    if (denominator == 0.0) throw VoltageError(kEqualAmplitudesMessage);
    const double slope = (n * sxz - sx * sz) / denominator;
    coefficients.CoefB = slope;
    coefficients.CoefA = (sz - slope * sx) / n;
    return true;
}

bool ExpFit(std::span<const double> x, std::span<const double> y, Coefficients& coefficients)
{
    const std::size_t count = std::min(x.size(), y.size());
    std::vector<double> logs(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (!(y[i] > 0.0)) return false;
        logs[i] = std::log(y[i]);
    }
    return LinearFit(x.first(count), logs, coefficients);
}

} // namespace ondrix::voltage
