#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace ondrix::platform::test {

// A sine tone as a complete WAV image, laid out as the tone generator lays
// out its own (44-byte header, PCM data, 32 bytes of silence behind it).
struct ToneImage
{
    double frequency = 1000;
    int milliseconds = 300;
    int bits = 16;
    int channels = 1;
    unsigned rate = 44100;
    double left = 0.9; // amplitude of each channel, 0…1
    double right = 0.9;
    int leadInMilliseconds = 0; // silence before the tone, not counted in `milliseconds`

    std::vector<std::uint8_t> Build() const
    {
        const std::size_t leadIn = static_cast<std::size_t>(rate) * leadInMilliseconds / 1000;
        const std::size_t frames = leadIn + static_cast<std::size_t>(rate) * milliseconds / 1000;
        const int bytes = bits / 8;
        const auto dataBytes = static_cast<std::uint32_t>(frames * channels * bytes);
        std::vector<std::uint8_t> image;
        auto put = [&image](std::uint32_t value, int width) {
            for (int i = 0; i < width; ++i)
                image.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        };
        auto tag = [&image](const char* id) {
            for (int i = 0; i < 4; ++i)
                image.push_back(static_cast<std::uint8_t>(id[i]));
        };
        tag("RIFF");
        put(dataBytes + 36, 4);
        tag("WAVE");
        tag("fmt ");
        put(16, 4);
        put(1, 2);
        put(channels, 2);
        put(rate, 4);
        put(rate * channels * bytes, 4);
        put(channels * bytes, 2);
        put(bits, 2);
        tag("data");
        put(dataBytes, 4);
        for (std::size_t n = 0; n < frames; ++n) {
            const double wave =
                n < leadIn
                    ? 0.0
                    : std::sin(2 * std::numbers::pi * frequency * static_cast<double>(n - leadIn) / rate);
            for (int c = 0; c < channels; ++c) {
                const double value = wave * (c == 1 ? right : left);
                if (bits == 8)
                    put(static_cast<std::uint32_t>(128 + std::lround(value * 127)), 1);
                else
                    put(static_cast<std::uint32_t>(static_cast<std::int16_t>(std::lround(value * 32767))), 2);
            }
        }
        image.insert(image.end(), 32, bits == 8 ? 128 : 0);
        return image;
    }
};

} // namespace ondrix::platform::test
