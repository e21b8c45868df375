// What the private server's null sink plays: recorded from its monitor, kept
// as WAV for a listen, and measured (where a tone sounds, its frequency, gaps).
#include "testsupport/PulseServer.h"

#include <pulse/error.h>
#include <pulse/simple.h>
#include <pulse/timeval.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace ondrix::testsupport {
namespace {

void PutLE(std::ofstream& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

bool Recording::WriteWav(const std::string& path) const
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    PutLE(out, dataBytes + 36, 4);
    out.write("WAVEfmt ", 8);
    PutLE(out, 16, 4);
    PutLE(out, 1, 2);
    PutLE(out, channels, 2);
    PutLE(out, sampleRate, 4);
    PutLE(out, sampleRate * channels * 2, 4);
    PutLE(out, channels * 2, 2);
    PutLE(out, 16, 2);
    out.write("data", 4);
    PutLE(out, dataBytes, 4);
    for (std::int16_t sample : samples)
        PutLE(out, static_cast<std::uint16_t>(sample), 2);
    return static_cast<bool>(out);
}

struct MonitorRecorder::State
{
    pa_simple* stream = nullptr;
    std::atomic<bool> stop = false;
    Recording recording;
    std::thread reader;
};

MonitorRecorder::MonitorRecorder(std::unique_ptr<State> state) : state_(std::move(state)) {}

MonitorRecorder::~MonitorRecorder()
{
    Stop();
}

Recording MonitorRecorder::Stop()
{
    if (state_ == nullptr) return {};
    state_->stop = true;
    if (state_->reader.joinable()) state_->reader.join();
    if (state_->stream != nullptr) pa_simple_free(state_->stream);
    Recording recording = std::move(state_->recording);
    state_.reset();
    return recording;
}

std::unique_ptr<MonitorRecorder> PulseServer::StartRecording() const
{
    if (!Available()) return nullptr;
    auto state = std::make_unique<MonitorRecorder::State>();
    const pa_sample_spec sampleFormat{PA_SAMPLE_S16LE, state->recording.sampleRate,
                                      static_cast<std::uint8_t>(state->recording.channels)};
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<std::uint32_t>(-1);
    buffer.fragsize = static_cast<std::uint32_t>(pa_usec_to_bytes(10 * PA_USEC_PER_MSEC, &sampleFormat));
    int error = 0;
    const std::string monitor = std::string(SinkName()) + ".monitor";
    state->stream = pa_simple_new(nullptr, "ondrix-test", PA_STREAM_RECORD, monitor.c_str(), "monitor",
                                  &sampleFormat, nullptr, &buffer, &error);
    if (state->stream == nullptr) {
        std::fprintf(stderr, "cannot record %s: %s\n", monitor.c_str(), pa_strerror(error));
        return nullptr;
    }
    MonitorRecorder::State* shared = state.get();
    state->reader = std::thread([shared, sampleFormat] {
        const std::size_t chunk = pa_usec_to_bytes(5 * PA_USEC_PER_MSEC, &sampleFormat);
        std::vector<std::int16_t> buffer(chunk / 2);
        int error = 0;
        while (!shared->stop) {
            if (pa_simple_read(shared->stream, buffer.data(), chunk, &error) < 0) break;
            shared->recording.samples.insert(shared->recording.samples.end(), buffer.begin(), buffer.end());
        }
    });
    return std::unique_ptr<MonitorRecorder>(new MonitorRecorder(std::move(state)));
}

bool PulseServer::RecordToFile(std::chrono::milliseconds length, const std::string& path) const
{
    std::unique_ptr<MonitorRecorder> recorder = StartRecording();
    if (recorder == nullptr) return false;
    std::this_thread::sleep_for(length);
    return recorder->Stop().WriteWav(path);
}

std::optional<ToneSpan> FindTone(const Recording& recording, unsigned channel, int threshold)
{
    const std::size_t frames = recording.Frames();
    std::size_t first = frames;
    std::size_t last = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        if (std::abs(recording.At(i, channel)) > threshold) {
            first = std::min(first, i);
            last = i;
        }
    }
    if (first == frames) return std::nullopt;
    ToneSpan span;
    span.firstFrame = first;
    span.frames = last - first + 1;
    std::size_t quiet = 0;
    double firstCrossing = -1;
    double lastCrossing = -1;
    std::size_t crossings = 0;
    for (std::size_t i = first; i <= last; ++i) {
        const int sample = recording.At(i, channel);
        span.peak = std::max(span.peak, std::abs(sample));
        quiet = std::abs(sample) <= threshold ? quiet + 1 : 0;
        span.longestQuiet = std::max(span.longestQuiet, quiet);
        const int previous = i > first ? recording.At(i - 1, channel) : 0;
        if (i > first && previous < 0 && sample >= 0) {
            // Where the line between the two samples crosses zero.
            const double at =
                static_cast<double>(i - 1) + static_cast<double>(-previous) / (sample - previous);
            if (firstCrossing < 0) firstCrossing = at;
            lastCrossing = at;
            ++crossings;
        }
    }
    if (crossings >= 2)
        span.frequencyHz =
            static_cast<double>(crossings - 1) * recording.sampleRate / (lastCrossing - firstCrossing);
    return span;
}

} // namespace ondrix::testsupport
