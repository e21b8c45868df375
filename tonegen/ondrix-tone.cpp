// ondrix-tone: makes a tone with the tone generator from command-line options
// and writes it to a WAV file and/or plays it. Scripts use it for test tones.
// Built twice: ondrix-tone itself, which hands --play over to ondrix-tone-play
// (ONDRIX_TONE_PLAYER), the same program linked with the sound output.

#include "platform/PulseSoundDevice.h"
#include "platform/SoundDevice.h"
#include "tonegen/ToneGen.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using namespace ondrix::tonegen;

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    R"(Usage: ondrix-tone [options]
Makes a tone and writes it to a WAV file and/or plays it.

Options:
  --freq HZ              carrier frequency, 20 to 20000 Hz (default 440)
  --note TEXT            carrier frequency from a note: O4A, <C, >E-, G#, N48 ...
  --duration MS          length, 10 to 32767 ms (default 100)
  --wave WAVE            sine, square, triangle, sawtooth or noise (default sine)
  --bits 16|8            bits per sample (default 16)
  --rate 96000|44100     samples per second (default 96000)
  --stereo               two channels (default one)
  --am SLOT:AMPLITUDE:WAVE:FREQ
                         partial tone in slot 1 to 8: amplitude 0 to 100 %,
                         waveform as for --wave, frequency as a multiple of the
                         carrier's (in hertz with --no-multiplier); repeatable
  --no-multiplier        --am frequencies are in hertz
  --envelope A,H,D,S,R   shape the tone: attack, hold, decay and release in %
                         of the duration, sustain in % of full level
  --out FILE             write the tone to FILE as a WAV file
  --play                 play the tone and return when it has ended
  --loop                 play the tone over and over, without a seam, until
                         interrupted (Ctrl+C, or SIGTERM); then exit with 0
  --help                 show this text

Values beyond a setting's range are brought to its nearest limit.
Exit status: 0 done, 1 the tone could not be made, written or played, 2 bad option
or value.
)";

struct UsageError
{
    std::string message;
};

[[noreturn]] void Fail(std::string message)
{
    throw UsageError{std::move(message)};
}

// An integer (decimal, or hexadecimal after "$"), brought into 16 bits by
// clamping, never by wrapping: the setters then clamp to each property's range.
std::int16_t ParseClampedInt(std::string_view text, std::string_view what)
{
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    int base = 10;
    if (!digits.empty() && digits[0] == '$') {
        base = 16;
        digits.remove_prefix(1);
    }
    if (digits.empty()) Fail(std::string(what) + " must be a whole number, not '" + std::string(text) + "'");
    std::int64_t value = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            Fail(std::string(what) + " must be a whole number, not '" + std::string(text) + "'");
        value = std::min<std::int64_t>(value * base + digit, 1 << 20); // saturate well beyond 16 bits
    }
    if (negative) value = -value;
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(value, INT16_MIN, INT16_MAX));
}

// For a number from_chars found out of range: whether it is too small rather
// than too large (strtod tells them apart by its result).
bool IsUnderflow(std::string_view number)
{
    const std::string copy(number);
    const double value = std::strtod(copy.c_str(), nullptr);
    return std::fabs(value) < 1.0;
}

float ParseFrequencyFactor(std::string_view text)
{
    std::string_view number = text;
    if (!number.empty() && number[0] == '+') number.remove_prefix(1);
    double value = 0;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::general);
    const bool whole = end == number.data() + number.size() && !number.empty();
    if (error == std::errc::result_out_of_range && whole) {
        // Beyond a double either way: too large is clamped to the largest
        // factor, too small (1e-400) is as good as 0.
        const bool negative = number[0] == '-';
        value = IsUnderflow(number) ? 0.0 : DBL_MAX;
        if (negative) value = -value;
    } else if (error != std::errc() || !whole || !std::isfinite(value)) {
        Fail("AM frequency must be a number, not '" + std::string(text) + "'");
    }
    return static_cast<float>(std::clamp<double>(value, -FLT_MAX, FLT_MAX));
}

TTGWave ParseWave(std::string_view text)
{
    static constexpr std::pair<std::string_view, TTGWave> kNames[] = {
        {"sine", tgSine},         {"square", tgSquare}, {"triangle", tgTriangle},
        {"sawtooth", tgSawtooth}, {"noise", tgNoise},
    };
    for (const auto& [name, wave] : kNames)
        if (text == name) return wave;
    Fail("unknown waveform '" + std::string(text) + "' (sine, square, triangle, sawtooth or noise)");
}

std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

void ApplyAM(TToneGen& tone, std::string_view value)
{
    const auto parts = Split(value, ':');
    if (parts.size() != 4) Fail("--am needs SLOT:AMPLITUDE:WAVE:FREQ, not '" + std::string(value) + "'");
    const std::int16_t slot = ParseClampedInt(parts[0], "AM slot");
    if (slot < 1 || slot > kAMSlotCount) Fail("AM slot must be 1 to 8, not '" + std::string(parts[0]) + "'");
    const auto amplitude = std::clamp<std::int16_t>(ParseClampedInt(parts[1], "AM amplitude"), 0, 100);
    const TTGWave wave = ParseWave(parts[2]);
    const float frequency = ParseFrequencyFactor(parts[3]);
    tone.SetAMParameter(static_cast<TTGAMLevel>(slot - 1), amplitude, wave, frequency);
}

void ApplyEnvelopeOption(TToneGen& tone, std::string_view value)
{
    const auto parts = Split(value, ',');
    if (parts.size() != 5) Fail("--envelope needs A,H,D,S,R, not '" + std::string(value) + "'");
    tone.SetAttack(ParseClampedInt(parts[0], "attack"));
    tone.SetHold(ParseClampedInt(parts[1], "hold"));
    tone.SetDecay(ParseClampedInt(parts[2], "decay"));
    tone.SetSustain(ParseClampedInt(parts[3], "sustain"));
    tone.SetRelease(ParseClampedInt(parts[4], "release"));
}

struct Request
{
    std::optional<std::string> out;
    bool play = false;
    bool loop = false;
    bool envelope = false;
};

// Applies the options in the order given; the last of a repeated option wins.
Request ApplyOptions(TToneGen& tone, const std::vector<std::string_view>& args)
{
    Request request;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        std::optional<std::string_view> inlineValue;
        if (const std::size_t eq = name.find('='); name.starts_with("--") && eq != std::string_view::npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        auto value = [&]() -> std::string_view {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= args.size()) Fail("option " + std::string(name) + " needs a value");
            return args[++i];
        };
        auto flag = [&] {
            if (inlineValue) Fail("option " + std::string(name) + " takes no value");
        };

        if (name == "--freq") {
            tone.SetFrequency(ParseClampedInt(value(), "frequency"));
        } else if (name == "--note") {
            const std::string_view note = value();
            if (tone.SetNote(note) == 0)
                Fail("'" + std::string(note) + "' is not a note between 20 and 20000 Hz");
        } else if (name == "--duration") {
            tone.SetDuration(ParseClampedInt(value(), "duration"));
        } else if (name == "--wave") {
            tone.SetWaveform(ParseWave(value()));
        } else if (name == "--bits") {
            const std::string_view bits = value();
            if (bits == "16")
                tone.SetResolution(tg16Bit);
            else if (bits == "8")
                tone.SetResolution(tg8Bit);
            else
                Fail("--bits must be 16 or 8, not '" + std::string(bits) + "'");
        } else if (name == "--rate") {
            const std::string_view rate = value();
            if (rate == "96000")
                tone.SetQuality(tgHiQ);
            else if (rate == "44100")
                tone.SetQuality(tgLoQ);
            else
                Fail("--rate must be 96000 or 44100, not '" + std::string(rate) + "'");
        } else if (name == "--stereo") {
            flag();
            tone.SetStereo(true);
        } else if (name == "--am") {
            ApplyAM(tone, value());
        } else if (name == "--no-multiplier") {
            flag();
            tone.SetAMUseMultiplier(false);
        } else if (name == "--envelope") {
            ApplyEnvelopeOption(tone, value());
            request.envelope = true;
        } else if (name == "--out") {
            request.out = std::string(value());
            if (request.out->empty()) Fail("--out needs a file name");
        } else if (name == "--play") {
            flag();
            request.play = true;
        } else if (name == "--loop") {
            flag();
            request.play = true;
            request.loop = true;
        } else {
            Fail("unknown option '" + std::string(args[i]) + "'");
        }
    }
    if (!request.out && !request.play) Fail("nothing to do: give --out FILE and/or --play or --loop");
    return request;
}

#ifdef ONDRIX_TONE_PLAYER
// The sound server, or null with a message when none answers.
std::shared_ptr<ondrix::platform::PulseSoundDevice> ConnectToServer()
{
    std::string reason;
    auto server = ondrix::platform::PulseSoundDevice::Connect(std::chrono::milliseconds(1500), &reason);
    if (!server)
        std::fprintf(stderr, "ondrix-tone: no sound server reachable (%s); the tone was not played\n",
                     reason.c_str());
    return server;
}

// Plays the prepared tone through the sound server and waits for its end.
// False, with a message, when there is no server or it fails or stops
// answering during the tone.
bool PlayToTheEnd(const TToneGen& tone)
{
    const auto server = ConnectToServer();
    if (!server) return false;
    if (!server->Play(tone.GetDataBuffer(), tone.WaveImageSize(), ondrix::platform::PlayMode::Sync)) {
        std::fputs("ondrix-tone: the sound server failed or stopped answering during the tone\n", stderr);
        return false;
    }
    return true;
}

// Plays the tone as a seamless loop until one of `endSignals` arrives.
bool LoopUntilSignal(const std::vector<std::string_view>& args, const sigset_t& endSignals)
{
    const auto server = ConnectToServer();
    if (!server) return false;
    TToneGen tone(server);
    const Request request = ApplyOptions(tone, args);
    tone.SetContinuous(true);
    request.envelope ? tone.PlayADSR() : tone.Play();
    int signal = 0;
    sigwait(&endSignals, &signal);
    tone.Stop();
    return true;
}
#else
// Playing is left to a sibling program linked with the sound server's client
// library, so that making files starts as fast as a plain C program.
int RunPlayer(char** argv)
{
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string player = length > 0 ? std::string(self, static_cast<std::size_t>(length)) : std::string();
    player = player.substr(0, player.rfind('/') + 1) + "ondrix-tone-play";
    ::execv(player.c_str(), argv);
    std::fprintf(stderr, "ondrix-tone: cannot start '%s' to play the tone: %s\n", player.c_str(),
                 std::strerror(errno));
    return kExitFailed;
}
#endif

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    for (std::string_view arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return kExitDone;
        }
    }

#ifdef ONDRIX_TONE_PLAYER
    // A loop ends at a signal, taken by sigwait: blocked before the sound
    // client starts its thread, which inherits the mask.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&endSignals, signal);
    if (std::find(args.begin(), args.end(), "--loop") != args.end())
        pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
#endif
    // Making the tone and writing the file never touch the sound server.
    TToneGen tone(ondrix::platform::SilentSoundDevice());
    Request request;
    try {
        request = ApplyOptions(tone, args);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "ondrix-tone: %s\nTry 'ondrix-tone --help' for more information.\n",
                     error.message.c_str());
        return kExitUsage;
    }
#ifndef ONDRIX_TONE_PLAYER
    if (request.play) return RunPlayer(argv);
#endif

    const bool generated = request.envelope ? tone.PrepareADSR() : tone.Prepare();
    if (!generated) {
        std::fputs("ondrix-tone: not enough memory for the tone\n", stderr);
        return kExitFailed;
    }
    if (request.out) {
        if (const auto written = tone.ExportFile(*request.out); !written) {
            std::fprintf(stderr, "ondrix-tone: cannot write '%s': %s\n", request.out->c_str(),
                         written.reason.c_str());
            return kExitFailed;
        }
    }
#ifdef ONDRIX_TONE_PLAYER
    if (request.loop) return LoopUntilSignal(args, endSignals) ? kExitDone : kExitFailed;
    if (request.play && !PlayToTheEnd(tone)) return kExitFailed;
#endif
    return kExitDone;
}
