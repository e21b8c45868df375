#pragma once

#include "app/CommandLine.h"
#include "app/DisplayWidgets.h"
#include "app/OndrixServices.h"
#include "app/Timer.h"
#include "app/UpDown.h"
#include "app/Waiter.h"
#include "parser/MDParser.h"
#include "tonegen/ToneGen.h"
#include "voltage/CalibrationModel.h"
#include "voltage/VoltmeterReadings.h"

#include <QCheckBox>
#include <QToolButton>
#include <QAction>
#include <QWidget>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ondrix::app {

// The interfaces: the outputs the front panel drives.
enum TInterfaceId : int {
    ifNone = 0,
    ifAudio = 1, // the tone generator
    ifIo = 2,    // the parallel port's data register (Timer3)
    ifDtr = 3,   // the serial port's DTR line (Timer1)
    ifRts = 4,   // the serial port's RTS line (Timer2)
};

// The main window: the instrument's front panel, its state, and the program's
// life from start-up to shutdown.
class TOndrix : public QWidget
{
  public:
    static constexpr int kClientWidth = 701;
    static constexpr int kClientHeight = 260;

    // `commandLine` is the program's argv (item 0: the program path).
    TOndrix(TOndrixServices services, std::vector<std::string> commandLine, QWidget* parent = nullptr);
    ~TOndrix() override;

    // The start-up sequence. An error ends it at the failing step and shows in
    // the display. It may end the program ("/?", the "/atom" flag): ExitCode()
    // is then set and the window should not be shown.
    void FormCreate();
    // The shutdown steps; run once, by the first of: the window's destruction,
    // a quit from start-up, a waiter's quit.
    void FormDestroy();

    // Runs the shutdown steps and ends the process with the code (see
    // TOndrixServices::EndProcess). Only the first call counts. GUI thread.
    void Quit(int exitCode);
    // The exit code once the program has been told to end.
    std::optional<int> ExitCode() const { return exitCode_; }

    // --- Controls -------------------------------------------------------------
    TPanel* Panel1;            // the display
    TLabel* Label1;            // the status text inside the display
    QCheckBox* CheckBox1;      // connector 1: sound (tag 1)
    QCheckBox* CheckBox2;      // connector 2: parallel port (tag 2)
    QCheckBox* CheckBox3;      // connector 3: DTR (tag 3)
    QCheckBox* CheckBox4;      // connector 4: RTS (tag 4)
    QCheckBox* CheckBox5;      // the Active box
    QToolButton* SpeedButton1; // "&COMPort"
    QToolButton* SpeedButton3; // "&I/O Address"
    TTimer* Timer1;            // DTR toggle
    TTimer* Timer2;            // RTS toggle
    TTimer* Timer3;            // parallel port toggle
    TTimer* Timer6;            // the hide after start ("/hide")
    TUpDown* UpDown2;          // amplitude in percent: 0..100, step 5
    QAction* RMS1;             // the "Voltmeter Type" items, one checked
    QAction* Peak1;
    QAction* PeakToPeak1;

  private:
    TOndrixServices services_; // before ToneGen1, which plays through its device

  public:
    tonegen::TToneGen ToneGen1;
    TMDParser MDParser1;

    // --- Main window state ----------------------------------------------------
    int SelectedInterface = ifNone;
    bool AudioPlaying = false;
    std::array<std::string, 5> InterfaceNames;
    // Cells of the parser variables AudioFreq, IOFreq, DTRFreq, RTSFreq,
    // indexed by interface id 1..4 (index 0 unused).
    std::array<long double*, 5> FreqVars{};
    std::optional<std::filesystem::path> SettingsKey;
    std::shared_ptr<platform::VolatileValues> AtomTableKey;
    std::int32_t SweepStart = 0;
    std::int32_t SweepEnd = 0;
    std::int32_t SweepStep = 0;
    std::uint8_t IoState = 0;
    std::uint8_t IoMask = 255;
    // Volume in percent restored at shutdown; above 100: leave it alone.
    std::uint8_t CloseVolume = 255;
    std::unique_ptr<platform::IoPort> InpoutLibrary;
    std::function<void(std::uint16_t port, std::uint16_t value)> Out32Proc;
    voltage::VoltmeterFunction VoltmeterFunction = &voltage::RmsReading;
    bool DtrState = false;
    bool RtsState = false;
    bool Calibrated = false;
    double CoefA = std::numeric_limits<double>::quiet_NaN();
    double CoefB = std::numeric_limits<double>::quiet_NaN();
    std::string ComPortName = "COM1";
    std::unique_ptr<platform::SerialLine> ComHandle; // null: no port open
    std::int32_t IoAddress = 888;
    TCommandLine Args;

    // --- Interfaces -------------------------------------------------------------
    void SetInterfaceName(int id, const std::string& text);
    const std::string& InterfaceName(int id) const;
    // The toggle timer of a port interface (2, 3, 4), null for the others.
    TTimer* ToggleTimer(int id) const;

    void CheckBox1Click(QCheckBox* Sender);
    void CheckBox5Click();
    void SpeedButton1Click();
    void SpeedButton3Click();
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void Timer6Timer();

    // Closes the serial port in use and opens `ComPortName`.
    void OpenComPort();
    // Writes the last generated tone to a WAV file; throws "WAV File failed".
    void RecordToFile(const std::string& fileName);

    // --- Amplitude and voltage (OndrixAmplitude.cpp, OndrixVoltage.cpp) ---------
    // The master volume in percent (a boosted output reads up to 254), or 255
    // with a dated line on standard error when it cannot be read.
    std::uint8_t GetSystemVolume();
    // Moves UpDown2 to the amplitude (at most 100), then sets the master
    // volume to it; false when the sound server did not take it.
    bool SetSystemVolume(unsigned amplitude);
    void UpDown2Click(TUDBtnType Button);
    void EnterAmplitude1Click();
    void RMS1Click(QAction* Sender);
    void CalibrateVoltage1Click();
    void SetAudioVoltage1Click();
    voltage::Coefficients Calibration() const;
    // The display's voltage reading for the amplitude and waveform, and its
    // text: two decimals in the user's locale, "(def)" while uncalibrated.
    double DisplayVoltage() const;
    QString VoltageReadingText() const;

    // --- Error display ----------------------------------------------------------
    // An error nothing else handled: its message replaces the status text.
    void ApplicationEvents1Exception(const std::string& message);
    void Panel1Click();

    TDialogs& Dialogs() const { return *services_.Dialogs; }

  private:
    void CreateControls();
    void CreateAmplitudeControl();
    void CreateVoltmeterMenuItems();
    QCheckBox* ConnectorBox(int id) const;

    // Start-up steps, in order.
    void ResetState();
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

    // Starts a waiter whose end quits the program with exit code 2.
    void StartWaiter(std::int32_t n);
    void StopWaiters();
    // Shutdown: puts the master volume back to CloseVolume when it is 100 or
    // less, or to the boosted volume found at start-up.
    void RestoreCloseVolume();

    std::vector<std::string> commandLine_;
    std::vector<std::unique_ptr<TWaiter>> waiters_;
    std::optional<int> exitCode_;
    bool destroyed_ = false;
    // The master volume found at start-up when the user had boosted it above
    // 100 %: CloseVolume cannot carry it (above 100 means "restore nothing").
    std::optional<unsigned> boostedVolumeFound_;
};

// The running program's main window.
extern TOndrix* Ondrix;

} // namespace ondrix::app
