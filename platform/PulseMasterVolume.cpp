#include "platform/MasterVolume.h"

#include "platform/PulseServerAddress.h"

#include <pulse/pulseaudio.h>

#include <chrono>
#include <cstdint>
#include <limits>

namespace ondrix::platform {

namespace {

// How long one request may take before the server counts as unreachable.
constexpr std::chrono::milliseconds kRequestTimeout{3000};

constexpr const char* kDefaultSink = "@DEFAULT_SINK@";

unsigned PercentFromVolume(pa_volume_t volume)
{
    // volume × 100 ÷ PA_VOLUME_NORM, halves to even.
    const std::uint64_t scaled = static_cast<std::uint64_t>(volume) * 100;
    std::uint64_t percent = scaled / PA_VOLUME_NORM;
    const std::uint64_t remainder = scaled % PA_VOLUME_NORM;
    if (remainder * 2 > PA_VOLUME_NORM || (remainder * 2 == PA_VOLUME_NORM && percent % 2 == 1)) ++percent;
    return static_cast<unsigned>(std::min<std::uint64_t>(percent, std::numeric_limits<unsigned>::max()));
}

pa_volume_t VolumeFromPercent(unsigned percent)
{
    const std::uint64_t volume = (static_cast<std::uint64_t>(percent) * PA_VOLUME_NORM + 50) / 100;
    return static_cast<pa_volume_t>(std::min<std::uint64_t>(volume, PA_VOLUME_MAX));
}

// One short-lived connection to the server, driven synchronously on the
// calling thread by a private main loop. Each request finishes before the
// next one starts.
class PulseConnection
{
  public:
    PulseConnection() : deadline_(std::chrono::steady_clock::now() + kRequestTimeout)
    {
        loop_ = pa_mainloop_new();
        if (!loop_) return;
        context_ = pa_context_new(pa_mainloop_get_api(loop_), "Ondrix");
        if (!context_) return;
        // A desktop always has its server running; never start one behind the user's back.
        if (pa_context_connect(context_, PulseServerAddress(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return;
        while (Step()) {
            const pa_context_state_t state = pa_context_get_state(context_);
            if (state == PA_CONTEXT_READY) {
                ready_ = true;
                return;
            }
            if (!PA_CONTEXT_IS_GOOD(state)) return;
        }
    }

    ~PulseConnection()
    {
        if (context_) {
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        if (loop_) pa_mainloop_free(loop_);
    }

    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    bool Ready() const { return ready_; }
    pa_context* Context() const { return context_; }

    // Runs the loop until the operation is done; false on timeout or a lost
    // connection (the operation is then cancelled).
    bool Await(pa_operation* operation)
    {
        if (!operation) return false;
        bool done = false;
        while (Step()) {
            if (pa_operation_get_state(operation) != PA_OPERATION_RUNNING) {
                done = pa_operation_get_state(operation) == PA_OPERATION_DONE;
                break;
            }
            if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) break;
        }
        if (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) pa_operation_cancel(operation);
        pa_operation_unref(operation);
        return done;
    }

  private:
    // One pass of the loop, waiting at most until the deadline.
    bool Step()
    {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline_ - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        if (pa_mainloop_prepare(loop_, static_cast<int>(left.count())) < 0) return false;
        if (pa_mainloop_poll(loop_) < 0) return false;
        return pa_mainloop_dispatch(loop_) >= 0;
    }

    std::chrono::steady_clock::time_point deadline_;
    pa_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    bool ready_ = false;
};

struct SinkVolume
{
    bool found = false;
    std::uint32_t index = PA_INVALID_INDEX;
    pa_cvolume volume{};
};

void OnSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* userdata)
{
    auto* sink = static_cast<SinkVolume*>(userdata);
    if (eol != 0 || !info) return;
    sink->found = true;
    sink->index = info->index;
    sink->volume = info->volume;
}

std::optional<SinkVolume> DefaultSinkVolume(PulseConnection& connection)
{
    SinkVolume sink;
    if (!connection.Await(
            pa_context_get_sink_info_by_name(connection.Context(), kDefaultSink, OnSinkInfo, &sink)))
        return std::nullopt;
    if (!sink.found || !pa_cvolume_valid(&sink.volume)) return std::nullopt;
    return sink;
}

void OnSuccess(pa_context*, int success, void* userdata)
{
    *static_cast<bool*>(userdata) = success != 0;
}

class PulseMasterVolumeImpl final : public MasterVolume
{
  public:
    std::optional<unsigned> GetPercent() override
    {
        PulseConnection connection;
        if (!connection.Ready()) return std::nullopt;
        const std::optional<SinkVolume> sink = DefaultSinkVolume(connection);
        if (!sink) return std::nullopt;
        return PercentFromVolume(pa_cvolume_max(&sink->volume));
    }

    bool SetPercent(unsigned percent) override
    {
        PulseConnection connection;
        if (!connection.Ready()) return false;
        std::optional<SinkVolume> sink = DefaultSinkVolume(connection);
        if (!sink) return false;
        pa_cvolume_scale(&sink->volume, VolumeFromPercent(percent));
        bool applied = false;
        if (!connection.Await(pa_context_set_sink_volume_by_index(connection.Context(), sink->index,
                                                                  &sink->volume, OnSuccess, &applied)))
            return false;
        return applied;
    }
};

} // namespace

std::shared_ptr<MasterVolume> PulseMasterVolume()
{
    return std::make_shared<PulseMasterVolumeImpl>();
}

} // namespace ondrix::platform
