#include "voltage/Statistics.h"

#include <cassert>
#include <cmath>

namespace ondrix::voltage {

double Mean(std::span<const double> values)
{
    double sum = 0.0;
    for (double v : values)
        sum += v;
    return sum / static_cast<double>(values.size());
}

double StdDev(std::span<const double> values)
{
    const double mean = Mean(values);
    double squares = 0.0;
    for (double v : values)
        squares += (v - mean) * (v - mean);
    return std::sqrt(squares / static_cast<double>(values.size()));
}

static double SumOfSquaredResiduals(std::span<const double> observed, std::span<const double> fitted)
{
    assert(observed.size() == fitted.size());
    double sum = 0.0;
    for (std::size_t i = 0; i < observed.size(); ++i)
        sum += (observed[i] - fitted[i]) * (observed[i] - fitted[i]);
    return sum;
}

double Rmse(std::span<const double> observed, std::span<const double> fitted)
{
    return std::sqrt(SumOfSquaredResiduals(observed, fitted) / static_cast<double>(observed.size()));
}

double RSquared(std::span<const double> observed, std::span<const double> fitted)
{
    const double mean = Mean(observed);
    double total = 0.0;
    for (double v : observed)
        total += (v - mean) * (v - mean);
    if (total == 0.0 || observed.empty()) return 0.0;
    return 1.0 - SumOfSquaredResiduals(observed, fitted) / total;
}

} // namespace ondrix::voltage
