#include "platform/PulseSoundDevice.h"

#include "platform/PulseServerAddress.h"
#include "platform/WavImage.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace ondrix::platform {

namespace {

// Target latency of the playback stream: how much is queued at the server.
// It bounds how late Stop and volume changes are heard.
constexpr pa_usec_t kTargetLatency = 50 * PA_USEC_PER_MSEC;
constexpr pa_usec_t kRequestSize = 10 * PA_USEC_PER_MSEC;
// After the drain: how long the sink may still hold the sound's tail.
constexpr pa_usec_t kLongestPlayOut = 2 * PA_USEC_PER_SEC;
constexpr pa_usec_t kPlayOutMargin = 5 * PA_USEC_PER_MSEC;
// A synchronous play gives up this long after the sound should have ended:
// the server has stopped taking data (frozen, or stopped by a debugger).
constexpr pa_usec_t kSyncPlayGrace = 4 * PA_USEC_PER_SEC;

std::optional<pa_sample_format_t> PulseFormat(SampleEncoding encoding)
{
    switch (encoding) {
    case SampleEncoding::Unsigned8:
        return PA_SAMPLE_U8;
    case SampleEncoding::Signed16:
        return PA_SAMPLE_S16LE;
    case SampleEncoding::Signed24:
        return PA_SAMPLE_S24LE;
    case SampleEncoding::Signed32:
        return PA_SAMPLE_S32LE;
    case SampleEncoding::Float32:
        return PA_SAMPLE_FLOAT32LE;
    }
    return std::nullopt;
}

// Copies the image's frames into a stereo buffer (a mono sample goes to both
// channels), so that left and right can be scaled separately.
std::vector<std::uint8_t> StereoCopy(const WavImage& wav)
{
    const std::size_t sampleBytes = wav.bytesPerFrame / wav.channels;
    if (wav.channels == 2) return {wav.samples, wav.samples + wav.frames * wav.bytesPerFrame};
    std::vector<std::uint8_t> stereo(wav.frames * 2 * sampleBytes);
    std::uint8_t* out = stereo.data();
    for (std::size_t frame = 0; frame < wav.frames; ++frame) {
        const std::uint8_t* in = wav.samples + frame * sampleBytes;
        std::memcpy(out, in, sampleBytes);
        std::memcpy(out + sampleBytes, in, sampleBytes);
        out += 2 * sampleBytes;
    }
    return stereo;
}

// 8-bit samples as 16-bit ones, exactly. PipeWire's server fills a stream
// that runs dry (as every sound does at its end, while it is played out) with
// zero bytes, which in unsigned 8 bit is the lowest level: a full-scale click
// after each 8-bit sound. Silence in 16 bit is zero bytes.
std::vector<std::uint8_t> Widened(const std::vector<std::uint8_t>& eightBit)
{
    std::vector<std::uint8_t> wide(eightBit.size() * 2);
    for (std::size_t i = 0; i < eightBit.size(); ++i)
        wide[2 * i + 1] = static_cast<std::uint8_t>(eightBit[i] - 128); // the low byte stays 0
    return wide;
}

std::int64_t Scale(std::int64_t sample, std::uint32_t level)
{
    return sample * level / 65535;
}

// Copies `bytes` (whole stereo frames) scaling the left channel by `left` and
// the right one by `right` (0…65535 = 0…1).
void CopyScaled(std::uint8_t* out, const std::uint8_t* in, std::size_t bytes, SampleEncoding encoding,
                std::uint32_t left, std::uint32_t right)
{
    if (left == 65535 && right == 65535) {
        std::memcpy(out, in, bytes);
        return;
    }
    switch (encoding) {
    case SampleEncoding::Unsigned8: // played as 16 bit (see Widened)
        break;
    case SampleEncoding::Signed16:
        for (std::size_t i = 0, n = 0; i + 2 <= bytes; i += 2, ++n) {
            const auto sample = static_cast<std::int16_t>(in[i] | (in[i + 1] << 8));
            const auto scaled = static_cast<std::uint16_t>(Scale(sample, n % 2 ? right : left));
            out[i] = static_cast<std::uint8_t>(scaled);
            out[i + 1] = static_cast<std::uint8_t>(scaled >> 8);
        }
        break;
    case SampleEncoding::Signed24:
        for (std::size_t i = 0, n = 0; i + 3 <= bytes; i += 3, ++n) {
            std::int32_t sample = in[i] | (in[i + 1] << 8) | (in[i + 2] << 16);
            if (sample & 0x800000) sample -= 0x1000000;
            const auto scaled = static_cast<std::uint32_t>(Scale(sample, n % 2 ? right : left));
            out[i] = static_cast<std::uint8_t>(scaled);
            out[i + 1] = static_cast<std::uint8_t>(scaled >> 8);
            out[i + 2] = static_cast<std::uint8_t>(scaled >> 16);
        }
        break;
    case SampleEncoding::Signed32:
        for (std::size_t i = 0, n = 0; i + 4 <= bytes; i += 4, ++n) {
            std::int32_t sample;
            std::memcpy(&sample, in + i, 4);
            const auto scaled = static_cast<std::int32_t>(Scale(sample, n % 2 ? right : left));
            std::memcpy(out + i, &scaled, 4);
        }
        break;
    case SampleEncoding::Float32:
        for (std::size_t i = 0, n = 0; i + 4 <= bytes; i += 4, ++n) {
            float sample;
            std::memcpy(&sample, in + i, 4);
            sample *= static_cast<float>(n % 2 ? right : left) / 65535.0f;
            std::memcpy(out + i, &sample, 4);
        }
        break;
    }
}

} // namespace

struct PulseSoundDevice::Sound
{
    PulseSoundDevice* device = nullptr;
    std::uint64_t serial = 0;
    pa_stream* stream = nullptr;
    pa_operation* drain = nullptr;
    pa_time_event* playOut = nullptr; // the wait for the drained tail to be heard
    std::vector<std::uint8_t> frames; // stereo, whole frames
    SampleEncoding encoding = SampleEncoding::Signed16;
    std::uint32_t sampleRate = 0;
    std::size_t frameBytes = 4; // one left and one right sample
    std::size_t next = 0;       // next byte of `frames` to send
    bool loop = false;
    bool ended = false; // played out, or the stream failed
    bool failed = false;

    ~Sound()
    {
        if (playOut != nullptr) pa_threaded_mainloop_get_api(device->mainloop_)->time_free(playOut);
        if (drain != nullptr) {
            pa_operation_cancel(drain);
            pa_operation_unref(drain);
        }
        if (stream != nullptr) {
            pa_stream_set_state_callback(stream, nullptr, nullptr);
            pa_stream_set_write_callback(stream, nullptr, nullptr);
            if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) pa_stream_disconnect(stream);
            pa_stream_unref(stream);
        }
    }

    // The server wants `request` more bytes.
    static void OnWritable(pa_stream* stream, std::size_t request, void* userdata)
    {
        auto* sound = static_cast<Sound*>(userdata);
        const std::uint32_t volume = sound->device->volume_.load(std::memory_order_relaxed);
        while (request > 0 && !sound->frames.empty() && (sound->loop || sound->next < sound->frames.size())) {
            void* buffer = nullptr;
            std::size_t length = request;
            if (pa_stream_begin_write(stream, &buffer, &length) < 0 || length == 0) return;
            // Whole frames only, so that every piece starts on a left sample.
            length = std::min(length, request);
            length -= length % sound->frameBytes;
            if (length == 0) {
                pa_stream_cancel_write(stream);
                return;
            }
            std::size_t filled = 0;
            auto* out = static_cast<std::uint8_t*>(buffer);
            while (filled < length) {
                if (sound->next == sound->frames.size()) {
                    if (!sound->loop) break;
                    sound->next = 0; // straight on with the first frame: no gap
                }
                const std::size_t piece = std::min(length - filled, sound->frames.size() - sound->next);
                CopyScaled(out + filled, sound->frames.data() + sound->next, piece, sound->encoding,
                           volume & 0xFFFFu, volume >> 16);
                filled += piece;
                sound->next += piece;
            }
            if (pa_stream_write(stream, buffer, filled, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
            request -= filled;
        }
        if (!sound->loop && sound->next >= sound->frames.size() && sound->drain == nullptr) {
            // Everything is queued; the drain completes once the server has
            // played it, and that (not the end of writing) ends the sound.
            sound->drain = pa_stream_drain(stream, &Sound::OnDrained, sound);
        }
    }

    static void OnDrained(pa_stream* stream, int success, void* userdata)
    {
        auto* sound = static_cast<Sound*>(userdata);
        pa_operation_unref(sound->drain);
        sound->drain = nullptr;
        if (!success) {
            sound->End(true);
            return;
        }
        // The server has taken the last sample, but it may still wait in the
        // sink's buffer, and releasing the stream now would take it back out
        // (the tail of the sound would be cut). End once it has been heard.
        pa_usec_t latency = 0;
        int negative = 0;
        if (pa_stream_get_latency(stream, &latency, &negative) < 0 || negative) latency = kTargetLatency;
        latency = std::min(latency, kLongestPlayOut) + kPlayOutMargin;
        sound->playOut = pa_context_rttime_new(pa_stream_get_context(stream), pa_rtclock_now() + latency,
                                               &OnPlayedOut, sound);
        if (sound->playOut == nullptr) sound->End(false);
    }

    static void OnPlayedOut(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* userdata)
    {
        auto* sound = static_cast<Sound*>(userdata);
        api->time_free(event);
        sound->playOut = nullptr;
        sound->End(false);
    }

    // Marks the sound as over; its stream is released on the next turn of the
    // event loop (not from inside the stream's own callbacks), unless a Sync
    // play waiting for it releases it first.
    void End(bool failure)
    {
        if (ended) return;
        ended = true;
        failed = failure;
        // Kept for a Sync play, which may find the sound already released.
        device->lastEnded_ = {serial, failure};
        pa_threaded_mainloop_signal(device->mainloop_, 0);
        pa_mainloop_api_once(pa_threaded_mainloop_get_api(device->mainloop_), &ReleaseEnded, device);
    }

    static void ReleaseEnded(pa_mainloop_api*, void* userdata)
    {
        auto* device = static_cast<PulseSoundDevice*>(userdata);
        if (device->sound_ != nullptr && device->sound_->ended) device->StopLocked();
    }

    static void OnStateChange(pa_stream* stream, void* userdata)
    {
        auto* sound = static_cast<Sound*>(userdata);
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) sound->End(true);
    }
};

namespace {

// Locks the threaded mainloop for a scope.
class MainloopLock
{
  public:
    explicit MainloopLock(pa_threaded_mainloop* mainloop) : mainloop_(mainloop)
    {
        pa_threaded_mainloop_lock(mainloop_);
    }
    ~MainloopLock() { pa_threaded_mainloop_unlock(mainloop_); }
    MainloopLock(const MainloopLock&) = delete;
    MainloopLock& operator=(const MainloopLock&) = delete;

  private:
    pa_threaded_mainloop* mainloop_;
};

// A wait on the mainloop that a timer may cut short.
struct DeadlineWait
{
    pa_threaded_mainloop* mainloop = nullptr;
    bool timedOut = false;
};

void OnContextStateChange(pa_context*, void* userdata)
{
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(userdata), 0);
}

void OnDeadline(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata)
{
    auto* wait = static_cast<DeadlineWait*>(userdata);
    wait->timedOut = true;
    pa_threaded_mainloop_signal(wait->mainloop, 0);
}

} // namespace

PulseSoundDevice::PulseSoundDevice() = default;

std::shared_ptr<PulseSoundDevice> PulseSoundDevice::Connect(std::chrono::milliseconds timeout,
                                                            std::string* error)
{
    std::shared_ptr<PulseSoundDevice> device(new PulseSoundDevice());
    device->mainloop_ = pa_threaded_mainloop_new();
    if (device->mainloop_ == nullptr || pa_threaded_mainloop_start(device->mainloop_) < 0) {
        if (error != nullptr) *error = "cannot start the sound client's event thread";
        return nullptr;
    }
    MainloopLock lock(device->mainloop_);
    if (!device->ConnectContext(timeout, error)) return nullptr;
    return device;
}

bool PulseSoundDevice::ConnectContext(std::chrono::milliseconds timeout, std::string* error)
{
    DropContext();
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop_);
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Ondrix");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "ondrix");
    context_ = pa_context_new_with_proplist(api, "Ondrix", properties);
    pa_proplist_free(properties);
    if (context_ == nullptr) {
        if (error != nullptr) *error = "cannot create a sound server context";
        return false;
    }
    pa_context_set_state_callback(context_, &OnContextStateChange, mainloop_);
    if (pa_context_connect(context_, PulseServerAddress(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        if (error != nullptr) *error = pa_strerror(pa_context_errno(context_));
        DropContext();
        return false;
    }
    DeadlineWait wait{mainloop_, false};
    const auto usec = static_cast<pa_usec_t>(std::chrono::microseconds(timeout).count());
    pa_time_event* timer = pa_context_rttime_new(context_, pa_rtclock_now() + usec, &OnDeadline, &wait);
    pa_context_state_t state = pa_context_get_state(context_);
    while (state != PA_CONTEXT_READY && PA_CONTEXT_IS_GOOD(state) && !wait.timedOut) {
        pa_threaded_mainloop_wait(mainloop_);
        state = pa_context_get_state(context_);
    }
    if (timer != nullptr) api->time_free(timer);
    if (state == PA_CONTEXT_READY) return true;
    if (error != nullptr)
        *error = wait.timedOut ? "no answer from the sound server" : pa_strerror(pa_context_errno(context_));
    DropContext();
    return false;
}

void PulseSoundDevice::DropContext()
{
    sound_.reset();
    if (context_ == nullptr) return;
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
}

namespace {

// Stops the client library's thread. The stop wakes it with one write to a
// pipe; when that write fails (a system out of resources) the thread would
// sleep on in its poll and the stop would wait for it for ever, so the quit
// is repeated until the thread has gone.
void StopMainloop(pa_threaded_mainloop* mainloop)
{
    std::atomic<bool> stopped{false};
    std::thread nudger([mainloop, &stopped] {
        while (!stopped.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (stopped.load()) break;
            pa_threaded_mainloop_lock(mainloop);
            pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop);
            api->quit(api, 0);
            pa_threaded_mainloop_unlock(mainloop);
        }
    });
    pa_threaded_mainloop_stop(mainloop);
    stopped = true;
    nudger.join();
}

} // namespace

PulseSoundDevice::~PulseSoundDevice()
{
    if (mainloop_ == nullptr) return;
    {
        MainloopLock lock(mainloop_);
        DropContext();
    }
    StopMainloop(mainloop_);
    pa_threaded_mainloop_free(mainloop_);
}

bool PulseSoundDevice::Play(const std::uint8_t* image, std::size_t size, PlayMode mode)
{
    const std::optional<WavImage> wav = ReadWavImage(image, size);
    if (!wav || wav->channels > 2) return false;
    auto sound = std::make_unique<Sound>();
    sound->device = this;
    sound->frames = StereoCopy(*wav); // before taking the lock: it may be large
    sound->encoding = wav->encoding;
    sound->frameBytes = 2 * (wav->bytesPerFrame / wav->channels);
    if (sound->encoding == SampleEncoding::Unsigned8) {
        sound->frames = Widened(sound->frames);
        sound->encoding = SampleEncoding::Signed16;
        sound->frameBytes = 4;
    }
    const std::optional<pa_sample_format_t> format = PulseFormat(sound->encoding);
    if (!format) return false;
    sound->sampleRate = wav->sampleRate;
    sound->loop = mode == PlayMode::AsyncLoop;

    MainloopLock lock(mainloop_);
    if (sound->loop && TakeOver(*sound)) return true;
    StopLocked();
    // A server that went away (restarted, or the session ended) is looked up
    // again, briefly, so the next play can sound once it is back.
    if (context_ == nullptr || pa_context_get_state(context_) != PA_CONTEXT_READY) {
        if (!ConnectContext(std::chrono::milliseconds(500), nullptr)) return false;
    }
    const pa_sample_spec sampleFormat{*format, wav->sampleRate, 2};
    pa_channel_map map;
    pa_channel_map_init_stereo(&map);
    sound->stream = pa_stream_new(context_, "Tone", &sampleFormat, &map);
    if (sound->stream == nullptr) return false;
    sound->serial = nextSerial_++;
    pa_stream_set_state_callback(sound->stream, &Sound::OnStateChange, sound.get());
    pa_stream_set_write_callback(sound->stream, &Sound::OnWritable, sound.get());
    constexpr auto kStreamFlags = static_cast<pa_stream_flags_t>(
        PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_INTERPOLATE_TIMING);
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<std::uint32_t>(-1);
    buffer.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kTargetLatency, &sampleFormat));
    buffer.prebuf = static_cast<std::uint32_t>(-1);
    buffer.minreq = static_cast<std::uint32_t>(pa_usec_to_bytes(kRequestSize, &sampleFormat));
    buffer.fragsize = static_cast<std::uint32_t>(-1);
    if (pa_stream_connect_playback(sound->stream, nullptr, &buffer, kStreamFlags, nullptr, nullptr) < 0)
        return false;
    sound_ = std::move(sound);
    if (mode != PlayMode::Sync) return true;

    // Wait until this sound has been played out, or until another thread
    // stops or replaces it, but not for ever on a server that stopped working.
    const std::uint64_t serial = sound_->serial;
    const pa_usec_t length = wav->frames * PA_USEC_PER_SEC / std::max<std::uint32_t>(wav->sampleRate, 1);
    DeadlineWait wait{mainloop_, false};
    pa_time_event* timer =
        pa_context_rttime_new(context_, pa_rtclock_now() + length + kSyncPlayGrace, &OnDeadline, &wait);
    while (sound_ != nullptr && sound_->serial == serial && !sound_->ended && !wait.timedOut)
        pa_threaded_mainloop_wait(mainloop_);
    if (timer != nullptr) pa_threaded_mainloop_get_api(mainloop_)->time_free(timer);
    if (sound_ != nullptr && sound_->serial == serial) {
        const bool played = sound_->ended && !sound_->failed;
        sound_.reset();
        return played;
    }
    // Released already: after its end (failed or not), or stopped by another thread.
    return lastEnded_.serial != serial || !lastEnded_.failed;
}

void PulseSoundDevice::StopLocked()
{
    if (sound_ == nullptr) return;
    sound_.reset();
    pa_threaded_mainloop_signal(mainloop_, 0); // wakes a Sync play waiting for it
}

// A loop of the same sample format takes over the stream of the sound being
// fed now: its frames follow the ones already queued, with no new stream to
// start (and be waited for) in between. It continues at the offset the sound
// had reached, so that a loop replaced by an equal one goes on unchanged.
bool PulseSoundDevice::TakeOver(Sound& loop)
{
    Sound* playing = sound_.get();
    if (playing == nullptr || playing->ended || playing->drain != nullptr || playing->playOut != nullptr)
        return false;
    if (playing->encoding != loop.encoding || playing->sampleRate != loop.sampleRate) return false;
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(playing->stream))) return false;
    // Both hold whole frames, so the offset stays on a frame boundary.
    const std::size_t offset = loop.frames.empty() ? 0 : playing->next % loop.frames.size();
    playing->frames.swap(loop.frames); // the old frames go with `loop`, outside the lock
    playing->next = offset;
    playing->loop = true;
    // A Sync play waiting for the replaced sound returns.
    playing->serial = nextSerial_++;
    pa_threaded_mainloop_signal(mainloop_, 0);
    return true;
}

void PulseSoundDevice::EndLoop()
{
    MainloopLock lock(mainloop_);
    // The write callback sends the rest of the image, then drains the stream.
    if (sound_ != nullptr) sound_->loop = false;
}

void PulseSoundDevice::Stop()
{
    MainloopLock lock(mainloop_);
    StopLocked();
}

bool PulseSoundDevice::GetVolume(std::uint32_t& word)
{
    word = volume_.load();
    return true;
}

bool PulseSoundDevice::SetVolume(std::uint32_t word)
{
    volume_.store(word); // the next piece written to the stream uses it
    return true;
}

} // namespace ondrix::platform
