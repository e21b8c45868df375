#include "testsupport/PulseServer.h"

#include <pulse/error.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace ondrix::testsupport {
namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);
constexpr auto kStopTimeout = std::chrono::seconds(3);

// The full path of a program found through PATH.
std::optional<std::string> FindProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = folder + "/" + name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::nullopt;
}

std::vector<char*> ArgumentVector(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// Starts a program with stdin from /dev/null and stdout/stderr to `logFile`
// (or /dev/null); -1 when it cannot be started. The program gets SIGTERM when
// the thread that started it ends, so a test that dies (a crash, a sanitizer
// stopping it) leaves no server behind.
pid_t Spawn(const std::vector<std::string>& arguments, const std::string& logFile = "/dev/null")
{
    const std::optional<std::string> program = FindProgram(arguments.at(0));
    if (!program) return -1;
    std::vector<char*> argv = ArgumentVector(arguments);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid; // the child, or -1
    // Only async-signal-safe calls from here on.
    if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != parent) _exit(126);
    const int input = open("/dev/null", O_RDONLY);
    const int output = open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (input < 0 || output < 0 || dup2(input, 0) < 0 || dup2(output, 1) < 0 || dup2(output, 2) < 0)
        _exit(126);
    execve(program->c_str(), argv.data(), environ);
    _exit(127);
}

// Runs a program to its end, collecting its standard output; its exit status,
// or -1 when it could not be run.
int Run(const std::vector<std::string>& arguments, std::string* output)
{
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv = ArgumentVector(arguments);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    std::string text;
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)) {
        if (got > 0) text.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeEnds[0]);
    if (spawned != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (output != nullptr) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Ends a child: SIGTERM, then SIGKILL if it lingers.
void Terminate(pid_t pid)
{
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

std::string LastLines(const std::string& path, std::size_t count)
{
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    std::string text;
    for (std::size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i)
        text += "\n  " + lines[i];
    return text;
}

// The programs of each server; pactl and pacat talk to either.
const std::vector<std::string> kPulseAudioPrograms{"pulseaudio", "pactl", "pacat"};
const std::vector<std::string> kPipeWirePrograms{"pipewire",    "wireplumber", "pipewire-pulse",
                                                 "dbus-daemon", "pactl",       "pacat"};

std::string MissingPrograms(const std::vector<std::string>& programs)
{
    std::string missing;
    for (const std::string& program : programs)
        if (!FindProgram(program)) missing += (missing.empty() ? "" : ", ") + program;
    return missing;
}

bool WriteTextFile(const std::filesystem::path& path, const std::string& text)
{
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

bool Exists(const std::string& path)
{
    return access(path.c_str(), F_OK) == 0;
}

} // namespace

PulseServer::PulseServer()
{
    Start();
    if (!Available()) Shutdown();
}

PulseServer::~PulseServer()
{
    Shutdown();
}

void PulseServer::SetEnvironment(const char* name, const std::string& value)
{
    const char* old = std::getenv(name);
    savedEnvironment_.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
    setenv(name, value.c_str(), 1);
}

void PulseServer::UnsetEnvironment(const char* name)
{
    const char* old = std::getenv(name);
    if (old == nullptr) return;
    savedEnvironment_.emplace_back(name, std::string(old));
    unsetenv(name);
}

void PulseServer::Start()
{
    const char* chosen = std::getenv("ONDRIX_TEST_SOUND_SERVER");
    const std::string choice = chosen != nullptr ? chosen : "";
    if (!choice.empty() && choice != "pulseaudio" && choice != "pipewire") {
        whyUnavailable_ = "ONDRIX_TEST_SOUND_SERVER is '" + choice + "'; it takes pulseaudio or pipewire";
        return;
    }
    const std::string missingForPulseAudio = MissingPrograms(kPulseAudioPrograms);
    const std::string missingForPipeWire = MissingPrograms(kPipeWirePrograms);
    bool usePipeWire = false;
    if (choice.empty()) {
        if (!missingForPulseAudio.empty() && !missingForPipeWire.empty()) {
            whyUnavailable_ =
                "no sound server to start: install pulseaudio, or on a PipeWire desktop pipewire, "
                "pipewire-pulse, wireplumber and dbus-daemon (with pulseaudio-utils)";
            return;
        }
        usePipeWire = !missingForPulseAudio.empty(); // PulseAudio where both are installed
    } else {
        usePipeWire = choice == "pipewire";
        const std::string& missing = usePipeWire ? missingForPipeWire : missingForPulseAudio;
        if (!missing.empty()) {
            whyUnavailable_ = "ONDRIX_TEST_SOUND_SERVER=" + choice + " but not installed: " + missing;
            return;
        }
    }
    if (!MakePrivateFolder()) return;
    if (usePipeWire)
        StartPipeWire();
    else
        StartPulseAudio();
}

bool PulseServer::MakePrivateFolder()
{
    char pattern[] = "/tmp/ondrix-pulse-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        whyUnavailable_ = std::string("cannot create a temporary folder: ") + std::strerror(errno);
        return false;
    }
    directory_ = pattern;
    const std::string runtime = directory_ + "/run";
    for (const char* sub : {"/run", "/config", "/state", "/home"})
        mkdir((directory_ + sub).c_str(), 0700);
    SetEnvironment("HOME", directory_ + "/home");
    SetEnvironment("XDG_RUNTIME_DIR", runtime);
    SetEnvironment("XDG_CONFIG_HOME", directory_ + "/config");
    SetEnvironment("XDG_STATE_HOME", directory_ + "/state");
    SetEnvironment("PULSE_SERVER", "unix:" + runtime + "/pulse/native");
    UnsetEnvironment("PULSE_SINK");
    UnsetEnvironment("PULSE_SOURCE");
    return true;
}

bool PulseServer::SpawnPart(const std::vector<std::string>& arguments)
{
    const pid_t pid = Spawn(arguments, directory_ + "/" + arguments.at(0) + ".log");
    if (pid <= 0) {
        whyUnavailable_ = "cannot start " + arguments.at(0);
        return false;
    }
    processes_.push_back(pid);
    return true;
}

bool PulseServer::WaitForLastPart(const std::string& name, const std::function<bool()>& ready)
{
    const pid_t pid = processes_.back();
    const std::string log = directory_ + "/" + name + ".log";
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (!ready()) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            processes_.pop_back();
            whyUnavailable_ = name + " exited at start; its log:" + LastLines(log, 8);
            return false;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            whyUnavailable_ = name + " did not answer within 10 s; its log:" + LastLines(log, 8);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void PulseServer::StartPulseAudio()
{
    // -n: no default script; as root (CI) these flags keep it a per-user
    // server in the private folder. Anonymous access is safe: the socket
    // lives in a folder only this user can enter. Without rewinds the
    // monitor carries exactly what the sink plays: a rewinding sink re-mixes
    // what it had rendered ahead when a stream joins or catches up, and the
    // monitor, which has passed the old mix on, skips as much of the new.
    const std::string log = directory_ + "/pulseaudio.log";
    if (!SpawnPart({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                    "--system=no", "--log-target=file:" + log, "-L",
                    "module-native-protocol-unix auth-anonymous=1", "-L",
                    std::string("module-null-sink sink_name=") + SinkName() +
                        " sink_properties=device.description=Ondrix-Test-Null norewinds=1",
                    "-L", "module-always-sink"}))
        return;
    if (!WaitForLastPart("pulseaudio", [] { return Run({"pactl", "info"}, nullptr) == 0; })) return;
    Pactl({"set-default-sink", SinkName()});
    ready_ = true;
}

void PulseServer::StartPipeWire()
{
    const std::string runtime = directory_ + "/run";
    SetEnvironment("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + runtime + "/bus");
    UnsetEnvironment("PIPEWIRE_REMOTE");
    UnsetEnvironment("PIPEWIRE_RUNTIME_DIR");
    // The session manager would otherwise open the machine's sound cards,
    // cameras and Bluetooth devices; the null sink is the only device here.
    // The graph runs at the rate the recordings are made at (PulseAudio's
    // default too), so that those are not resampled on their way, and in
    // blocks of 23 ms, not of a fraction of that: small blocks leave holes in
    // the sound on a busy machine.
    const std::string config = directory_ + "/config";
    const std::string graph =
        "context.properties = { default.clock.rate = 44100 default.clock.min-quantum = 1024 }\n";
    if (!WriteTextFile(config + "/wireplumber/main.lua.d/60-ondrix-test.lua",
                       "alsa_monitor.enabled = false\nv4l2_monitor.enabled = false\n"
                       "libcamera_monitor.enabled = false\n") ||
        !WriteTextFile(config + "/wireplumber/bluetooth.lua.d/60-ondrix-test.lua",
                       "bluez_monitor.enabled = false\n") ||
        !WriteTextFile(config + "/pipewire/pipewire.conf.d/60-ondrix-test.conf", graph) ||
        !WriteTextFile(config + "/pipewire/pipewire-pulse.conf.d/60-ondrix-test.conf",
                       graph + "pulse.properties = { pulse.min.quantum = 1024/44100 }\n")) {
        whyUnavailable_ = "cannot write the configuration of the server in " + config;
        return;
    }
    // The session manager exits without a session bus; this one is private.
    if (!SpawnPart({"dbus-daemon", "--session", "--address=unix:path=" + runtime + "/bus", "--nofork",
                    "--nopidfile"}) ||
        !WaitForLastPart("dbus-daemon", [&] { return Exists(runtime + "/bus"); }))
        return;
    if (!SpawnPart({"pipewire"}) ||
        !WaitForLastPart("pipewire", [&] { return Exists(runtime + "/pipewire-0"); }))
        return;
    if (!SpawnPart({"wireplumber"}) || !SpawnPart({"pipewire-pulse"}) ||
        !WaitForLastPart("pipewire-pulse", [] {
            return Run({"pactl", "info"}, nullptr) == 0;
        }))
        return;
    if (!Pactl({"load-module", "module-null-sink", std::string("sink_name=") + SinkName(), "rate=44100",
                "channels=2", "sink_properties=device.description=Ondrix-Test-Null"}) ||
        !Pactl({"set-default-sink", SinkName()})) {
        whyUnavailable_ = "pipewire-pulse cannot load the null sink";
        return;
    }
    // The session manager makes the configured sink the default one (and
    // links streams to it); until it has, a client asking for the default
    // sink finds none.
    const bool madeDefault = WaitForLastPart("pipewire-pulse", [] {
        std::string info;
        return Run({"pactl", "info"}, &info) == 0 &&
               info.find(std::string("Default Sink: ") + SinkName() + "\n") != std::string::npos &&
               Run({"pactl", "get-sink-volume", "@DEFAULT_SINK@"}, nullptr) == 0;
    });
    const pid_t sessionManager = processes_[2];
    if (waitpid(sessionManager, nullptr, WNOHANG) == sessionManager) {
        processes_.erase(processes_.begin() + 2);
        whyUnavailable_ =
            "wireplumber exited at start; its log:" + LastLines(directory_ + "/wireplumber.log", 8);
        return;
    }
    if (!madeDefault) return;
    ready_ = true;
}

void PulseServer::Shutdown()
{
    Terminate(keepAwakePid_);
    keepAwakePid_ = -1;
    ready_ = false;
    for (auto it = processes_.rbegin(); it != processes_.rend(); ++it)
        Terminate(*it);
    processes_.clear();
    for (auto it = savedEnvironment_.rbegin(); it != savedEnvironment_.rend(); ++it) {
        if (it->second)
            setenv(it->first.c_str(), it->second->c_str(), 1);
        else
            unsetenv(it->first.c_str());
    }
    savedEnvironment_.clear();
    if (!directory_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
}

bool PulseServer::Pactl(const std::vector<std::string>& arguments, std::string* output) const
{
    std::vector<std::string> command{"pactl"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return !processes_.empty() && Run(command, output) == 0;
}

std::optional<int> PulseServer::SinkVolumePercent() const
{
    std::string text;
    if (!Pactl({"get-sink-volume", SinkName()}, &text)) return std::nullopt;
    // "Volume: front-left: 49152 /  75% / -7.50 dB,   front-right: ..." on
    // the first line; the balance follows on the next.
    text = text.substr(0, text.find('\n'));
    int sum = 0;
    int count = 0;
    for (std::size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1)) {
        std::size_t begin = at;
        while (begin > 0 && std::isdigit(static_cast<unsigned char>(text[begin - 1])))
            --begin;
        if (begin == at) continue;
        sum += std::stoi(text.substr(begin, at - begin));
        ++count;
    }
    if (count == 0) return std::nullopt;
    return (sum + count / 2) / count;
}

bool PulseServer::SetSinkVolumePercent(int percent) const
{
    return Pactl({"set-sink-volume", SinkName(), std::to_string(percent) + "%"});
}

bool PulseServer::KeepSinkAwake()
{
    if (!Available()) return false;
    if (keepAwakePid_ <= 0) {
        keepAwakePid_ = Spawn({"pacat", "--playback", "--latency-msec=10", "--rate=44100", "--channels=1",
                               "--format=s16le", "--stream-name=keep-awake", "/dev/zero"});
        if (keepAwakePid_ <= 0) return false;
    }
    // Idle, the null sink renders in blocks of up to 2 s; the silent stream
    // brings that down to a few milliseconds, but only from the next block
    // on. Suspending and resuming the sink starts that block at once.
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    std::string inputs;
    while (std::chrono::steady_clock::now() < deadline &&
           (!Pactl({"list", "short", "sink-inputs"}, &inputs) || inputs.empty()))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Pactl({"suspend-sink", SinkName(), "1"});
    Pactl({"suspend-sink", SinkName(), "0"});
    while (std::chrono::steady_clock::now() < deadline) {
        std::string text;
        if (Pactl({"list", "sinks"}, &text)) {
            const std::size_t at = text.find("Latency: ");
            if (at != std::string::npos && std::stol(text.substr(at + 9)) < 50000) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

} // namespace ondrix::testsupport
