// The main window's life: the start-up sequence and the shutdown steps.
#include "app/AtomBook.h"
#include "app/NumberText.h"
#include "app/OndrixApplication.h"
#include "app/TOndrix.h"
#include "app/ToggleInterval.h"
#include "app/UsageText.h"

#include <QGuiApplication>
#include <istream>
#include <ostream>

namespace ondrix::app {

void TOndrix::FormCreate()
{
    try {
        ResetState();
        // The mini graph's start-up (mouse input off, the "odd" and "timer"
        // functions, the four series) comes with the graph.
        SetCaption();
        LoadIoPortAccess();
        SeedRandomGenerator();
        ResetCalibration();
        DefineFrequencyVariables();
        SplitCommandLine();
        OpenSettingsKey();
        if (ShowUsageIfAsked()) return;
        // Standard output serves as the console; there is nothing to hide.

        ApplyCloseVolumeSwitches();
        ApplyCalibrationSwitches();
        ApplyVoltmeterSwitches();

        ApplyAudioFrequencySwitch();

        ApplyAmplitudeSwitches();

        ApplyDurationSwitch();
        ApplyWaveformSwitches();
        ApplyRecordSwitch();
        ApplyComSwitch();
        ApplyPortFrequencySwitches();
        ApplyIoAddressSwitches();
        StartIoToggleIfAsked();
        StartAutoQuitWaiter();
        OpenAtomTableKey();
        if (DeleteBookedAtomsIfAsked()) return;
        StartAtomWaiter();
        NameInterfaces();
        HideIfAsked();
    } catch (...) {
        OndrixApplication::HandleException(std::current_exception());
    }
}

void TOndrix::ResetState()
{
    SelectedInterface = ifNone;
    AudioPlaying = false;
    CloseVolume = 255;
}

void TOndrix::SetCaption()
{
    setWindowTitle("Ondrix");
    QGuiApplication::setApplicationDisplayName(windowTitle());
}

void TOndrix::LoadIoPortAccess()
{
    ComHandle.reset();
    // A port that cannot be opened is not reported now; every write reports it.
    InpoutLibrary = services_.OpenIoPort ? services_.OpenIoPort() : nullptr;
    if (InpoutLibrary) {
        platform::IoPort* port = InpoutLibrary.get();
        Out32Proc = [port](std::uint16_t address, std::uint16_t value) { port->Out32(address, value); };
    } else {
        Out32Proc = [](std::uint16_t, std::uint16_t) {
            throw std::runtime_error("inpout dll failed to load");
        };
    }
}

void TOndrix::SeedRandomGenerator()
{
    RandomizeFromClock();
}

void TOndrix::ResetCalibration()
{
    CoefA = std::numeric_limits<double>::quiet_NaN();
    CoefB = std::numeric_limits<double>::quiet_NaN();
}

void TOndrix::DefineFrequencyVariables()
{
    const long double frequency = ToneGen1.Frequency();
    FreqVars[ifAudio] = MDParser1.DefineVariable("AudioFreq", frequency);
    FreqVars[ifIo] = MDParser1.DefineVariable("IOFreq", frequency);
    FreqVars[ifDtr] = MDParser1.DefineVariable("DTRFreq", frequency);
    FreqVars[ifRts] = MDParser1.DefineVariable("RTSFreq", frequency);
}

void TOndrix::SplitCommandLine()
{
    Args = TCommandLine(commandLine_);
}

void TOndrix::OpenSettingsKey()
{
    // A settings folder that cannot be made is not reported.
    SettingsKey = services_.OpenSettingsKey ? services_.OpenSettingsKey() : std::nullopt;
}

bool TOndrix::ShowUsageIfAsked()
{
    if (!Args.HasFlag("/?")) return false;
    if (services_.ConsoleOut) {
        *services_.ConsoleOut << UsageText(Args.ProgramFileName());
        services_.ConsoleOut->flush();
    }
    if (services_.ConsoleIn) {
        std::string line;
        std::getline(*services_.ConsoleIn, line); // end of input counts as Enter
    }
    Quit(0);
    return true;
}

void TOndrix::ApplyAudioFrequencySwitch()
{
    const auto value = Args.Value("/audiofreq");
    if (!value) return;
    const std::int32_t frequency = StrToInt(*value);
    *FreqVars[ifAudio] = frequency;
    ToneGen1.SetFrequency(ClampTo<std::int16_t>(frequency, INT16_MIN, INT16_MAX));
}

void TOndrix::ApplyDurationSwitch()
{
    const auto value = Args.Value("/duration");
    if (const auto duration = value ? TryStrToInt(*value) : std::nullopt)
        ToneGen1.SetDuration(ClampTo<std::int16_t>(*duration, INT16_MIN, INT16_MAX));
}

void TOndrix::ApplyWaveformSwitches()
{
    // Tested in this order, so the last one present wins.
    static constexpr std::pair<const char*, tonegen::TTGWave> kWaveforms[] = {
        {"/sine", tonegen::tgSine},   {"/square", tonegen::tgSquare},     {"/sawtooth", tonegen::tgSawtooth},
        {"/noise", tonegen::tgNoise}, {"/triangle", tonegen::tgTriangle},
    };
    bool any = false;
    for (const auto& [flag, wave] : kWaveforms) {
        if (Args.HasFlag(flag)) {
            ToneGen1.SetWaveform(wave);
            any = true;
        }
    }
    if (!any) return;
    SelectedInterface = ifAudio;
    AudioPlaying = true;
    ToneGen1.Play();
}

void TOndrix::ApplyRecordSwitch()
{
    if (const auto fileName = Args.Value("/record")) RecordToFile(*fileName);
}

void TOndrix::ApplyComSwitch()
{
    ComPortName = "COM1";
    const auto portName = Args.Value("/com");
    if (!portName) return;
    ComPortName = *portName;
    OpenComPort();
}

void TOndrix::ApplyPortFrequencySwitches()
{
    auto frequencyOf = [this](const char* name) {
        const auto value = Args.Value(name);
        return value ? TryStrToInt(*value).value_or(0) : 0;
    };
    const std::int32_t dtr = frequencyOf("/dtr");
    *FreqVars[ifDtr] = dtr;
    Timer1->SetInterval(IntervalForFrequency(dtr));
    Timer1->SetEnabled(Timer1->Interval() != 0);

    const std::int32_t rts = frequencyOf("/rts");
    *FreqVars[ifRts] = rts;
    Timer2->SetInterval(IntervalForFrequency(rts));
    Timer2->SetEnabled(Timer2->Interval() != 0);

    const std::int32_t io = frequencyOf("/iofreq");
    *FreqVars[ifIo] = io;
    Timer3->SetInterval(IntervalForFrequency(io));
}

void TOndrix::ApplyIoAddressSwitches()
{
    const auto address = Args.Value("/io");
    IoAddress = address ? TryStrToInt(*address).value_or(888) : 888;
    const auto mask = Args.Value("/iomask");
    IoMask = ClampTo<std::uint8_t>(mask ? TryStrToInt(*mask).value_or(255) : 255, 0, 255);
}

void TOndrix::StartIoToggleIfAsked()
{
    // Present is enough, even with an interval of 0 (no ticks until one is given).
    Timer3->SetEnabled(Args.Value("/iofreq").has_value());
}

void TOndrix::StartAutoQuitWaiter()
{
    if (const auto value = Args.Value("/autoquit")) StartWaiter(StrToInt(*value));
}

void TOndrix::OpenAtomTableKey()
{
    AtomTableKey = services_.OpenAtomTableKey ? services_.OpenAtomTableKey() : nullptr;
}

bool TOndrix::DeleteBookedAtomsIfAsked()
{
    if (!Args.HasFlag("/atom")) return false;
    if (AtomTableKey && services_.Atoms) DeleteBookedAtoms(*AtomTableKey, *services_.Atoms);
    Quit(0);
    return true;
}

void TOndrix::StartAtomWaiter()
{
    const auto value = Args.Value("/atom");
    if (!value) return;
    // Negated, so that only a positive atom number waits for an atom; the
    // most negative number has no positive counterpart and waits no time.
    const std::int32_t atom = StrToInt(*value);
    StartWaiter(atom == INT32_MIN ? 0 : -atom);
}

void TOndrix::NameInterfaces()
{
    SetInterfaceName(ifNone, "");
    SetInterfaceName(ifAudio, "");
    SetInterfaceName(ifIo, IntToHex4(IoAddress));
    SetInterfaceName(ifDtr, ComPortName);
    SetInterfaceName(ifRts, ComPortName);
}

void TOndrix::HideIfAsked()
{
    Timer6->SetEnabled(Args.HasFlag("/hide"));
}

void TOndrix::FormDestroy()
{
    if (destroyed_) return;
    destroyed_ = true;
    AtomTableKey.reset();
    SettingsKey.reset();
    RestoreCloseVolume();
    ComHandle.reset();
    // A tick after this point reports the missing port instead of using it.
    Out32Proc = [](std::uint16_t, std::uint16_t) { throw std::runtime_error("inpout dll failed to load"); };
    InpoutLibrary.reset();
    Args.Clear();
}

} // namespace ondrix::app
