#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace ondrix::testsupport {

// Interleaved 16-bit samples captured from a sink's monitor.
struct Recording
{
    unsigned sampleRate = 44100;
    unsigned channels = 2;
    std::vector<std::int16_t> samples;

    std::size_t Frames() const { return samples.size() / channels; }
    std::int16_t At(std::size_t frame, unsigned channel) const { return samples[frame * channels + channel]; }
    // Writes a 16-bit PCM WAV file (for looking at a failed case by ear).
    bool WriteWav(const std::string& path) const;
};

class MonitorRecorder;

// A private sound server with one null sink, for tests that need a real
// sound server: PulseAudio where it is installed, otherwise (a PipeWire
// desktop, where pulseaudio conflicts with the desktop's packages) PipeWire
// with its PulseAudio protocol server. ONDRIX_TEST_SOUND_SERVER=pulseaudio or
// =pipewire picks one. The constructor starts it in a fresh temporary folder
// and points HOME, XDG_RUNTIME_DIR, XDG_CONFIG_HOME, XDG_STATE_HOME and
// PULSE_SERVER of this process (and so of libpulse and of every program it
// starts) at it; the destructor stops the server's processes by their ids,
// removes the folder and restores the environment. One instance at a time.
//
//   PulseServer server;
//   if (!server.Available()) GTEST_SKIP() << server.WhyUnavailable();
class PulseServer
{
  public:
    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    bool Available() const { return ready_; }
    // Why the server could not be started (empty when it runs).
    const std::string& WhyUnavailable() const { return whyUnavailable_; }
    // The null sink, which is also the default sink.
    static const char* SinkName() { return "ondrix_test_null"; }
    // The private folder the server lives in.
    const std::string& Directory() const { return directory_; }
    // The process that serves libpulse's clients (pulseaudio or
    // pipewire-pulse): the one to kill or freeze to see how a client takes a
    // failing server. -1 when the server is not running.
    pid_t ProtocolProcess() const { return ready_ ? processes_.back() : -1; }

    // Runs pactl with these arguments against the server; its standard output
    // goes to `output`. True when pactl exits with status 0.
    bool Pactl(const std::vector<std::string>& arguments, std::string* output = nullptr) const;
    // The sink's volume in percent (the mean of its channels), as pactl reports it.
    std::optional<int> SinkVolumePercent() const;
    bool SetSinkVolumePercent(int percent) const;

    // Starts recording the sink's monitor (44100 Hz, 16-bit stereo, small
    // fragments so nothing is lost at either end). Empty when it cannot.
    std::unique_ptr<MonitorRecorder> StartRecording() const;
    // Records the monitor for `length` into a WAV file.
    bool RecordToFile(std::chrono::milliseconds length, const std::string& path) const;

    // Keeps a silent low-latency stream playing into the sink and waits until
    // the sink runs with a small latency. Without it an idle null sink renders
    // in blocks of up to 2 s: a fresh stream is heard late and a recording of
    // the monitor loses time. Tests that record or time sounds want this.
    // (PipeWire's null sink has no such blocks; the stream costs nothing there.)
    bool KeepSinkAwake();

  private:
    void Start();
    bool MakePrivateFolder();
    void StartPulseAudio();
    void StartPipeWire();
    // Starts a program of the server and keeps its id; false (and the reason
    // set) when it cannot be started.
    bool SpawnPart(const std::vector<std::string>& arguments);
    // Waits until `ready` holds; false (and the reason set) when `program`,
    // the one started last, exits first or the start takes too long.
    bool WaitForLastPart(const std::string& program, const std::function<bool()>& ready);
    void Shutdown();
    void SetEnvironment(const char* name, const std::string& value);
    void UnsetEnvironment(const char* name);

    std::string directory_;
    std::string whyUnavailable_;
    std::vector<pid_t> processes_; // in the order they were started
    bool ready_ = false;
    pid_t keepAwakePid_ = -1;
    std::vector<std::pair<std::string, std::optional<std::string>>> savedEnvironment_;
};

// Captures a sink monitor on its own thread until Stop().
class MonitorRecorder
{
  public:
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    // Ends the capture and hands over what was recorded.
    Recording Stop();

  private:
    friend class PulseServer;
    struct State;
    explicit MonitorRecorder(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// The stretch of a recording between the first and the last sample louder
// than a threshold, on one channel.
struct ToneSpan
{
    std::size_t firstFrame = 0;
    std::size_t frames = 0;
    int peak = 0;                 // largest magnitude within the stretch
    double frequencyHz = 0;       // from the rising zero crossings within it
    std::size_t longestQuiet = 0; // longest run of frames at or below the threshold within it
    double Seconds(unsigned sampleRate) const { return static_cast<double>(frames) / sampleRate; }
};

std::optional<ToneSpan> FindTone(const Recording& recording, unsigned channel, int threshold = 1000);

} // namespace ondrix::testsupport
