#include "voltage/VoltmeterReadings.h"

#include "voltage/VoltageError.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace ondrix::voltage {

double CrestFactor(int waveform)
{
    switch (waveform) {
    case kSineOrdinal:
        return std::numbers::sqrt2;
    case kSquareOrdinal:
        return 1.0;
    case kTriangleOrdinal:
    case kSawtoothOrdinal:
        return std::numbers::sqrt3;
    default:
        return std::numeric_limits<double>::quiet_NaN();
    }
}

double RmsFromPeak(int waveform, double peak)
{
    const double crest = CrestFactor(waveform);
    if (std::isnan(crest)) throw VoltageError(kUnsupportedWaveformMessage);
    return std::fabs(peak) / crest;
}

double RmsReading(int /*waveform*/, double rms)
{
    return rms;
}

double PeakReading(int waveform, double rms)
{
    return rms * CrestFactor(waveform); // NaN in, or no crest factor, gives NaN
}

double PeakToPeakReading(int waveform, double rms)
{
    return 2.0 * PeakReading(waveform, rms);
}

double DisplayVoltage(const Coefficients& coefficients, VoltmeterFunction voltmeter, double amplitude,
                      int waveform)
{
    return voltmeter(waveform, ModelVoltage(coefficients, amplitude));
}

} // namespace ondrix::voltage
