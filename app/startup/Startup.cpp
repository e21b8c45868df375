// The program's life: the start-up sequence and the shutdown steps.
#include "app/startup/Startup.h"

#include "app/model/ErrorReport.h"
#include "app/model/NumberText.h"
#include "app/model/ToggleInterval.h"
#include "app/startup/AtomBook.h"
#include "app/startup/UsageText.h"
#include "voltage/Amplitude.h"
#include "voltage/Calibration.h"

#include <QMetaObject>
#include <QObject>
#include <istream>
#include <ostream>

namespace ondrix::app {

namespace {

using tonegen::TTGWave;

// CloseVolume for "leave the volume alone at shutdown".
constexpr std::uint8_t kRestoreNothing = 101;
// A volume reading that could not be taken.
constexpr std::uint8_t kVolumeUnknown = 255;

} // namespace

TStartup::TStartup(TInstrument& instrument, std::vector<std::string> commandLine, TWindowHooks hooks)
    : instrument_(instrument), commandLine_(std::move(commandLine)), hooks_(std::move(hooks)),
      hideTimer_(instrument.Services().MakeTimer(1, false))
{
    hideTimer_->OnTimer = [this] {
        if (hooks_.Hide) hooks_.Hide();
        hideTimer_->SetEnabled(false);
    };
}

TStartup::~TStartup()
{
    StopWaiters();
    hideTimer_->SetEnabled(false);
    FormDestroy();
}

void TStartup::FormCreate()
{
    try {
        ResetState();
        PrepareMiniGraph();
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
        ApplyLoopSwitch();
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
        startupError_ = ErrorMessage(std::current_exception());
        ReportError(std::current_exception(), currentSwitch_);
    }
    currentSwitch_.clear();
}

std::optional<std::string> TStartup::SwitchValue(const char* name)
{
    const auto value = args_.Value(name);
    if (value) currentSwitch_ = std::string(name) + "=" + *value;
    return value;
}

void TStartup::ReportSwitchError(const std::string& message)
{
    ReportError(std::make_exception_ptr(EConvertError(message)), currentSwitch_);
}

void TStartup::ResetState()
{
    instrument_.SetCloseVolume(kVolumeUnknown);
}

void TStartup::PrepareMiniGraph()
{
    if (hooks_.PrepareMiniGraph) hooks_.PrepareMiniGraph();
}

void TStartup::SetCaption()
{
    if (hooks_.SetCaption) hooks_.SetCaption("Ondrix");
}

void TStartup::LoadIoPortAccess()
{
    instrument_.CloseComPort();
    instrument_.LoadIoPortAccess();
}

void TStartup::SeedRandomGenerator()
{
    RandomizeFromClock();
}

void TStartup::ResetCalibration()
{
    instrument_.SetCalibration({}, false);
}

void TStartup::DefineFrequencyVariables()
{
    instrument_.DefineFrequencyVariables();
}

void TStartup::SplitCommandLine()
{
    args_ = TCommandLine(commandLine_);
}

void TStartup::OpenSettingsKey()
{
    // A settings folder that cannot be made is not reported.
    const auto& open = instrument_.Services().OpenSettingsKey;
    settingsKey_ = open ? open() : std::nullopt;
}

bool TStartup::ShowUsageIfAsked()
{
    if (!args_.HasFlag("/?")) return false;
    const TOndrixServices& services = instrument_.Services();
    bool written = true;
    if (services.ConsoleOut) {
        *services.ConsoleOut << UsageText(args_.ProgramFileName());
        services.ConsoleOut->flush();
        written = services.ConsoleOut->good();
    }
    if (services.ConsoleIn) {
        std::string line;
        std::getline(*services.ConsoleIn, line); // end of input counts as Enter
    }
    // A usage text that could not be written (a full or closed output) is a failure.
    Quit(written ? 0 : 1);
    return true;
}

void TStartup::ApplyCloseVolumeSwitches()
{
    if (args_.HasFlag("/nobackupvoltage")) {
        instrument_.SetCloseVolume(kRestoreNothing);
        return;
    }
    const std::uint8_t current = instrument_.GetSystemVolume();
    const auto value = SwitchValue("/closevol");
    const auto percent = value ? TryStrToClampedInt(*value) : std::nullopt;
    // Above 100 means "restore nothing"; a negative number restores silence.
    instrument_.SetCloseVolume(percent ? ClampTo<std::uint8_t>(*percent, 0, kRestoreNothing) : current);
    // A boosted output is put back as found, not left at the last amplitude.
    if (!percent && current > voltage::kMaxAmplitude && current != kVolumeUnknown)
        instrument_.RememberBoostedVolume(current);
}

void TStartup::ApplyCalibrationSwitches()
{
    const auto a = SwitchValue("/a");
    const auto coefA = a ? TryStrToFiniteFloat(*a) : std::nullopt;
    if (!coefA) return;
    voltage::Coefficients coefficients;
    coefficients.CoefA = *coefA;
    const auto b = SwitchValue("/b");
    const auto coefB = b ? TryStrToFiniteFloat(*b) : std::nullopt;
    if (coefB) coefficients.CoefB = *coefB;
    instrument_.SetCalibration(coefficients, coefB.has_value());
}

void TStartup::ApplyVoltmeterSwitches()
{
    instrument_.SetVoltmeterType(TVoltmeterType::Rms);
    if (args_.HasFlag("/peak")) instrument_.SetVoltmeterType(TVoltmeterType::Peak);
    if (args_.HasFlag("/pp")) instrument_.SetVoltmeterType(TVoltmeterType::PeakToPeak);
}

void TStartup::ApplyAudioFrequencySwitch()
{
    const auto value = SwitchValue("/audiofreq");
    if (!value) return;
    const std::int32_t frequency = StrToClampedInt(*value);
    instrument_.FreqVar(TInterfaceId::Audio) = frequency;
    instrument_.ToneGen1.SetFrequency(ClampTo<std::int16_t>(frequency, INT16_MIN, INT16_MAX));
}

void TStartup::ApplyAmplitudeSwitches()
{
    // The server already has the volume just read: only the control follows
    // it. Writing it back would gain nothing, and after a failed reading (255)
    // or from a boosted output (above 100 %) it would change the user's volume.
    instrument_.ShowAmplitude(instrument_.GetSystemVolume());

    if (const auto value = SwitchValue("/amp")) {
        // A typo must not set full volume on a connected amplifier: the
        // amplitude stays and start-up goes on.
        if (const auto percent = TryStrToClampedInt(*value))
            instrument_.SetSystemVolume(voltage::ClampAmplitude(*percent));
        else
            ReportSwitchError("'" + *value + "' is not a valid integer value");
    }
    if (const auto value = SwitchValue("/vout")) {
        const auto target = TryStrToFloat(*value);
        if (!target) throw EConvertError("'" + *value + "' is not a valid floating point value");
        instrument_.SetSystemVolume(
            voltage::AmplitudeForVoltage(instrument_.Calibration(), [&] { return *target; }));
    }
}

void TStartup::ApplyDurationSwitch()
{
    const auto value = SwitchValue("/duration");
    if (const auto duration = value ? TryStrToClampedInt(*value) : std::nullopt)
        instrument_.ToneGen1.SetDuration(ClampTo<std::int16_t>(*duration, INT16_MIN, INT16_MAX));
}

void TStartup::ApplyLoopSwitch()
{
    // Before the waveforms, so that "/sine /loop" holds its tone.
    if (args_.HasFlag("/loop")) instrument_.SetContinuous(true);
}

void TStartup::ApplyWaveformSwitches()
{
    // Tested in this order, so the last one present wins.
    static constexpr std::pair<const char*, TTGWave> kWaveforms[] = {
        {"/sine", tonegen::tgSine},   {"/square", tonegen::tgSquare},     {"/sawtooth", tonegen::tgSawtooth},
        {"/noise", tonegen::tgNoise}, {"/triangle", tonegen::tgTriangle},
    };
    std::optional<TTGWave> chosen;
    for (const auto& [flag, wave] : kWaveforms) {
        if (args_.HasFlag(flag)) chosen = wave;
    }
    if (chosen) instrument_.StartToneFromCommandLine(*chosen);
}

void TStartup::ApplyRecordSwitch()
{
    if (const auto fileName = SwitchValue("/record")) instrument_.RecordToFile(*fileName);
}

void TStartup::ApplyComSwitch()
{
    instrument_.SetComPortName("COM1");
    const auto portName = SwitchValue("/com");
    if (!portName) return;
    instrument_.SetComPortName(*portName);
    instrument_.OpenComPort();
}

void TStartup::ApplyPortFrequencySwitches()
{
    auto frequencyOf = [this](const char* name) {
        const auto value = SwitchValue(name);
        return value ? TryStrToClampedInt(*value).value_or(0) : 0;
    };
    for (const auto& [name, id] : {std::pair{"/dtr", TInterfaceId::Dtr}, std::pair{"/rts", TInterfaceId::Rts}}) {
        instrument_.SetPortFrequency(id, frequencyOf(name));
        TTimer* toggle = instrument_.ToggleTimer(id);
        toggle->SetEnabled(toggle->Interval() != 0);
    }
    instrument_.SetPortFrequency(TInterfaceId::Io, frequencyOf("/iofreq"));
}

void TStartup::ApplyIoAddressSwitches()
{
    const auto address = SwitchValue("/io");
    instrument_.SetIoAddress(address ? TryStrToClampedInt(*address).value_or(888) : 888);
    const auto mask = SwitchValue("/iomask");
    instrument_.SetIoMask(ClampTo<std::uint8_t>(mask ? TryStrToClampedInt(*mask).value_or(255) : 255, 0, 255));
}

void TStartup::StartIoToggleIfAsked()
{
    // Present is enough, even with an interval of 0 (no ticks until one is given).
    instrument_.ToggleTimer(TInterfaceId::Io)->SetEnabled(args_.Value("/iofreq").has_value());
}

void TStartup::StartAutoQuitWaiter()
{
    if (const auto value = SwitchValue("/autoquit")) StartWaiter(StrToInt(*value));
}

void TStartup::OpenAtomTableKey()
{
    const auto& open = instrument_.Services().OpenAtomTableKey;
    atomTableKey_ = open ? open() : nullptr;
}

bool TStartup::DeleteBookedAtomsIfAsked()
{
    if (!args_.HasFlag("/atom")) return false;
    const auto& atoms = instrument_.Services().Atoms;
    if (atomTableKey_ && atoms) DeleteBookedAtoms(*atomTableKey_, *atoms);
    Quit(0);
    return true;
}

void TStartup::StartAtomWaiter()
{
    const auto value = SwitchValue("/atom");
    if (!value) return;
    // Negated, so that only a positive atom number waits for an atom; the
    // most negative number has no positive counterpart and waits no time.
    const std::int32_t atom = StrToInt(*value);
    StartWaiter(atom == INT32_MIN ? 0 : -atom);
}

void TStartup::NameInterfaces()
{
    instrument_.SetInterfaceName(TInterfaceId::None, "");
    instrument_.SetInterfaceName(TInterfaceId::Audio, "");
    instrument_.SetInterfaceName(TInterfaceId::Io, IntToHex4(instrument_.IoAddress()));
    instrument_.SetInterfaceName(TInterfaceId::Dtr, instrument_.ComPortName());
    instrument_.SetInterfaceName(TInterfaceId::Rts, instrument_.ComPortName());
}

void TStartup::HideIfAsked()
{
    hideTimer_->SetEnabled(args_.HasFlag("/hide"));
}

void TStartup::StartWaiter(std::int32_t n)
{
    // The shutdown runs on the GUI thread, between two handlers, so it never
    // releases a port under a running tick.
    auto finished = [this] {
        QMetaObject::invokeMethod(
            &handOver_, [this] { Quit(2); }, Qt::QueuedConnection);
    };
    waiters_.push_back(std::make_unique<TWaiter>(n, instrument_.Services().Atoms, atomTableKey_, std::move(finished)));
}

void TStartup::StopWaiters()
{
    for (auto& waiter : waiters_)
        waiter->Stop();
}

void TStartup::Quit(int exitCode)
{
    if (exitCode_) return;
    exitCode_ = exitCode;
    StopWaiters();
    hideTimer_->SetEnabled(false);
    instrument_.StopTimers();
    Guarded([this] { FormDestroy(); });
    if (instrument_.Services().EndProcess) instrument_.Services().EndProcess(exitCode);
}

void TStartup::FormDestroy()
{
    if (destroyed_) return;
    destroyed_ = true;
    atomTableKey_.reset();
    settingsKey_.reset();
    instrument_.RestoreCloseVolume();
    instrument_.CloseComPort();
    instrument_.UnloadIoPortAccess();
    args_.Clear();
}

} // namespace ondrix::app
