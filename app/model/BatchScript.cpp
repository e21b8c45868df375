#include "app/model/BatchScript.h"

#include "app/model/NumberText.h"

#include <array>
#include <cstdio>

namespace ondrix::app {

namespace {

// The switch of each waveform, in the order of their values.
constexpr std::array<const char*, 5> kWaveformSwitches = {"/sine", "/square", "/triangle", "/sawtooth",
                                                          "/noise"};

// The switch of each voltmeter type, in the order of their values.
constexpr std::array<const char*, 3> kVoltmeterSwitches = {"/rms", "/peak", "/pp"};

// The stored switches after the script's own arguments, each " /name" or
// " /name='value'".
class TSwitchLine
{
  public:
    void Flag(const char* name) { (text_ += ' ') += name; }
    void Value(const char* name, std::string_view value)
    {
        ((text_ += ' ') += name) += '=' + ShellQuoted(value);
    }
    void Integer(const char* name, long long value) { Value(name, std::to_string(value)); }
    // The shortest general form in the user's notation, "NAN" when unset.
    void Real(const char* name, long double value)
    {
        Value(name, ShortestText(value).toUtf8().toStdString());
    }
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

std::string UpperHex(std::int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
    return text;
}

} // namespace

TBatchSetup TBatchSetup::Of(const TInstrument& instrument, std::string program, std::string directory)
{
    TBatchSetup setup;
    setup.Program = std::move(program);
    setup.Directory = std::move(directory);
    setup.Calibration = instrument.Calibration();
    setup.AudioPlaying = instrument.AudioPlaying();
    setup.AudioFrequency = instrument.ToneGen1.Frequency();
    setup.Waveform = instrument.ToneGen1.Waveform();
    setup.Amplitude = instrument.Amplitude();
    setup.Voltmeter = instrument.VoltmeterType();
    setup.Continuous = instrument.Continuous();
    setup.ComPortOpen = instrument.ComPortOpen();
    setup.ComPortName = instrument.ComPortName();
    setup.DtrRunning = instrument.ToggleTimer(TInterfaceId::Dtr)->Enabled();
    setup.DtrFrequency = instrument.FreqVar(TInterfaceId::Dtr);
    setup.RtsRunning = instrument.ToggleTimer(TInterfaceId::Rts)->Enabled();
    setup.RtsFrequency = instrument.FreqVar(TInterfaceId::Rts);
    setup.IoRunning = instrument.ToggleTimer(TInterfaceId::Io)->Enabled();
    setup.IoAddress = instrument.IoAddress();
    setup.IoFrequency = instrument.FreqVar(TInterfaceId::Io);
    setup.IoMask = instrument.IoMask();
    return setup;
}

std::string ShellQuoted(std::string_view text)
{
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted += '\'';
}

namespace {

// A Cancel (or a closed box): the export ends without a script.
struct TCancelled
{
};

// The switches of the parts the user includes, asking in order.
std::string StoredSwitches(const TBatchSetup& setup, const TBatchQuestion& ask)
{
    auto included = [&ask](const char* question) {
        const TMsgResult answer = ask(question);
        if (answer != TMsgResult::Yes && answer != TMsgResult::No) throw TCancelled{};
        return answer == TMsgResult::Yes;
    };

    TSwitchLine switches;
    // An unset coefficient is written NAN, which start-up leaves unset.
    switches.Real("/a", setup.Calibration.CoefA);
    switches.Real("/b", setup.Calibration.CoefB);
    if (setup.AudioPlaying && included("Include Audio Channel?")) {
        switches.Integer("/audiofreq", setup.AudioFrequency);
        switches.Flag(kWaveformSwitches.at(setup.Waveform));
        switches.Integer("/amp", setup.Amplitude);
        switches.Flag(kVoltmeterSwitches.at(static_cast<std::size_t>(setup.Voltmeter)));
        // Continuous mode belongs to the tone: it holds what the audio part starts.
        if (setup.Continuous) switches.Flag("/loop");
    }
    if (setup.ComPortOpen && included("Include Serial Port?")) {
        switches.Value("/com", setup.ComPortName);
        if (setup.DtrRunning && included("Include DTR Channel?")) switches.Real("/dtr", setup.DtrFrequency);
        if (setup.RtsRunning && included("Include RTS Channel?")) switches.Real("/rts", setup.RtsFrequency);
    }
    if (setup.IoRunning && included("Include Parallel Port?")) {
        switches.Value("/io", "$" + UpperHex(setup.IoAddress));
        switches.Real("/iofreq", setup.IoFrequency);
        switches.Integer("/iomask", setup.IoMask);
    }
    if (!included("Backup Audio Volume before changing it?")) switches.Flag("/nobackupvoltage");
    return switches.Text();
}

} // namespace

std::optional<std::string> ComposeBatchScript(const TBatchSetup& setup, const TBatchQuestion& ask)
{
    std::string switches;
    try {
        switches = StoredSwitches(setup, ask);
    } catch (const TCancelled&) {
        return std::nullopt;
    }
    const std::string folder = ShellQuoted(setup.Directory);
    return "#!/bin/sh\n"
           "# shellcheck disable=SC2016 # quoted texts are meant literally, $ and ` included\n"
           "# An Ondrix set-up: starts the generator again as it was saved, in the folder\n"
           "# it was saved from. Arguments given to this script come first and so win\n"
           "# over the stored switches.\n"
           "cd " +
           folder + " || { printf 'Cannot change to the folder of this set-up: %s\\n' " + folder +
           " >&2; exit 1; }\n"
           "exec " +
           ShellQuoted(setup.Program) + " \"$@\"" + switches + "\n";
}

} // namespace ondrix::app
