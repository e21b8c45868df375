#pragma once

#include "app/model/Instrument.h"
#include "app/startup/CommandLine.h"
#include "app/startup/Waiter.h"

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ondrix::app {

// What start-up asks of the window around the instrument (all optional).
struct TWindowHooks
{
    // Mouse input off, the plot functions and series of the mini graph.
    std::function<void()> PrepareMiniGraph;
    std::function<void(const QString& caption)> SetCaption;
    // Hides the window (a tick after start, on "/hide").
    std::function<void()> Hide;
    // Whether anyone can see the window's display (false: offscreen or hidden).
    std::function<bool()> DisplayVisible;
};

// The program's life around the instrument: the start-up sequence that
// applies the command line, the waiters of the automatic quit, and the
// shutdown steps that run once, whichever way the program ends.
class TStartup
{
  public:
    // `commandLine` is the program's argv (item 0: the program path).
    TStartup(TInstrument& instrument, std::vector<std::string> commandLine, TWindowHooks hooks = {});
    ~TStartup();
    TStartup(const TStartup&) = delete;
    TStartup& operator=(const TStartup&) = delete;

    // The start-up sequence. An error ends it at the failing step; it is shown
    // in the display and written to standard error with its switch. It may end
    // the program ("/?", the "/atom" flag): ExitCode() is then set.
    void FormCreate();
    // The message of the error that ended start-up early, if one did.
    const std::optional<std::string>& StartupError() const { return startupError_; }

    // The shutdown steps; run once, by the first of: the window's end, a quit
    // from start-up or a waiter, a signal, the process's exit.
    void FormDestroy();
    bool Destroyed() const { return destroyed_; }

    // Runs the shutdown steps and ends the process with the code (see
    // TOndrixServices::EndProcess). Only the first call counts. GUI thread.
    void Quit(int exitCode);
    std::optional<int> ExitCode() const { return exitCode_; }

    const TCommandLine& Args() const { return args_; }
    const std::optional<std::filesystem::path>& SettingsKey() const { return settingsKey_; }
    const std::shared_ptr<platform::VolatileValues>& AtomTableKey() const { return atomTableKey_; }
    bool HidePending() const { return hideTimer_->Enabled(); }

  private:
    // Start-up steps, in order.
    void ResetState();
    void PrepareMiniGraph();
    void SetCaption();
    void LoadIoPortAccess();
    void SeedRandomGenerator();
    void ResetCalibration();
    void DefineFrequencyVariables();
    void SplitCommandLine();
    void OpenSettingsKey();
    bool ShowUsageIfAsked(); // true: the program ends
    void ApplyCloseVolumeSwitches();
    void ApplyCalibrationSwitches();
    void ApplyVoltmeterSwitches();
    void ApplyAudioFrequencySwitch();
    void ApplyAmplitudeSwitches(); // also "/vout"
    void ApplyDurationSwitch();
    void ApplyLoopSwitch();
    void ApplyWaveformSwitches();
    void ApplyRecordSwitch();
    void ApplyComSwitch();
    void ApplyPortFrequencySwitches();
    void ApplyIoAddressSwitches();
    void StartIoToggleIfAsked();
    void StartAutoQuitWaiter();
    void OpenAtomTableKey();
    bool DeleteBookedAtomsIfAsked(); // true: the program ends
    void StartAtomWaiter();
    void NameInterfaces();
    void HideIfAsked();

    // The value of a switch, remembered as the source of an error it raises.
    std::optional<std::string> SwitchValue(const char* name);
    // Reports an error of a switch that does not end start-up.
    void ReportSwitchError(const std::string& message);

    // Starts a waiter whose end quits the program with exit code 2.
    void StartWaiter(std::int32_t n);
    void StopWaiters();

    TInstrument& instrument_;
    // Context of the waiters' hand-over to the GUI thread: a quit queued by a
    // waiter is dropped once this start-up is gone.
    QObject handOver_;
    std::vector<std::string> commandLine_;
    TWindowHooks hooks_;
    TCommandLine args_;
    std::optional<std::filesystem::path> settingsKey_;
    std::shared_ptr<platform::VolatileValues> atomTableKey_;
    std::unique_ptr<TTimer> hideTimer_;
    std::vector<std::unique_ptr<TWaiter>> waiters_;
    std::string currentSwitch_;
    std::optional<std::string> startupError_;
    std::optional<int> exitCode_;
    bool destroyed_ = false;
};

} // namespace ondrix::app
