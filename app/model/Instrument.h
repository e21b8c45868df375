#pragma once

#include "app/model/InterfaceId.h"
#include "app/model/Services.h"
#include "app/model/Timer.h"
#include "parser/MDParser.h"
#include "tonegen/ToneGen.h"
#include "voltage/CalibrationModel.h"
#include "voltage/VoltmeterReadings.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ondrix::app {

enum class TStep { Up, Down }; // the arrows of an up-down control

enum class TVoltmeterType { Rms, Peak, PeakToPeak };

// The signal generator without its window: the state the front panel shows and
// every command its controls, menus, keys, the command line and the timers
// perform. It owns the tone generator and the formula parser of the prompts
// and reaches the world only through its services, so tests drive it with
// fakes and a manual clock. Everything runs on the GUI thread.
class TInstrument
{
  public:
    // Knob and amplitude control ranges.
    static constexpr int kMinKnob = 20, kMaxKnob = 20000, kKnobStep = 5, kKnobStart = 29;
    static constexpr int kAmplitudeStep = 5;

    explicit TInstrument(TOndrixServices services);
    ~TInstrument();
    TInstrument(const TInstrument&) = delete;
    TInstrument& operator=(const TInstrument&) = delete;

    const TOndrixServices& Services() const { return services_; }
    TDialogs& Dialogs() const { return *services_.Dialogs; }

    // Called after every command that changed what the panel shows.
    std::function<void()> Changed;

    // --- Components ------------------------------------------------------------
    tonegen::TToneGen ToneGen1;
    TMDParser MDParser1;

    // --- Interfaces (connector boxes, Active box, port toggles) ----------------
    TInterfaceId SelectedInterface() const { return selected_; }
    bool AudioPlaying() const { return audioPlaying_; }
    bool ActiveChecked() const { return activeChecked_; }
    bool ConnectorChecked(TInterfaceId id) const;
    // An output is on: the tone was started, or the port's toggle runs.
    bool OutputOn(TInterfaceId id) const;

    // The name stored for an interface: "NULL", "Audio", "I/O(text)",
    // "DTR(text)", "RTS(text)"; an id outside 0..4 is an error.
    void SetInterfaceName(TInterfaceId id, const std::string& text);
    const std::string& InterfaceName(TInterfaceId id) const;
    const std::array<std::string, 5>& InterfaceNames() const { return interfaceNames_; }

    // A click on a connector box, which left it `checkedAfterClick`: the
    // others are cleared, it becomes the selection, the Active box is applied.
    void ClickConnector(TInterfaceId id, bool checkedAfterClick);
    // A click on the Active box, which left it `checked`.
    void ClickActive(bool checked);
    void SetActiveChecked(bool checked);
    // Switches the selected output on or off as the Active box says.
    void ApplyActive();

    // The toggle timer of a port output (Io, Dtr, Rts); null for the others.
    TTimer* ToggleTimer(TInterfaceId id) const;
    void DtrTick();
    void RtsTick();
    void IoTick();

    const std::string& ComPortName() const { return comPortName_; }
    void SetComPortName(std::string name) { comPortName_ = std::move(name); }
    bool ComPortOpen() const { return comHandle_ != nullptr; }
    // Closes the port in use and opens ComPortName; throws the system's error.
    void OpenComPort();
    void CloseComPort();
    // "COMPort" and "I/O Address": ask for the port and open it; ask for the
    // parallel port's address and mask.
    void ChangeComPort();
    void ChangeIoPort();

    std::int32_t IoAddress() const { return ioAddress_; }
    void SetIoAddress(std::int32_t address) { ioAddress_ = address; }
    std::uint8_t IoMask() const { return ioMask_; }
    void SetIoMask(std::uint8_t mask) { ioMask_ = mask; }
    std::uint8_t IoState() const { return ioState_; }
    bool DtrState() const { return dtrState_; }
    bool RtsState() const { return rtsState_; }
    // Opens parallel-port access; a port that cannot be used fails at each write.
    void LoadIoPortAccess();
    void UnloadIoPortAccess();
    bool IoPortLoaded() const { return ioPort_ != nullptr; }
    // Writes one byte to an I/O port; "inpout dll failed to load" without access.
    void Out32(std::uint16_t address, std::uint16_t value);
    // Stops every timer (toggles and sweep), as before the shutdown.
    void StopTimers();

    // --- Frequencies ------------------------------------------------------------
    // The frequency of an output (the parser variables AudioFreq, IOFreq,
    // DTRFreq, RTSFreq); defined once, at start-up.
    void DefineFrequencyVariables();
    long double& FreqVar(TInterfaceId id) { return *freqVars_.at(IdNumber(id)); }
    long double FreqVar(TInterfaceId id) const { return *freqVars_.at(IdNumber(id)); }
    // Sets a port output's frequency and its toggle interval (not its timer's state).
    void SetPortFrequency(TInterfaceId id, long double frequency);

    int KnobPosition() const { return knob_; }
    // The knob's arrows; the digit buttons (tags 10000 … 1); the "Edit" prompt.
    void StepKnob(TStep step);
    void ClickDigit(int tag);
    void EnterFrequency();

    // --- Waveforms and tone -----------------------------------------------------
    // Sine, square, sawtooth, triangle: select the sound output and play.
    void ChooseWaveform(tonegen::TTGWave wave);
    // The waveform menu button selects the sound output before the menu opens.
    void SelectAudioForMenu();
    // "/sine" and the other waveform switches: the sound output is selected
    // and the tone starts; the Active box is left as it is.
    void StartToneFromCommandLine(tonegen::TTGWave wave);
    // Noise keeps the selection (from the key N it may be a port).
    void ChooseNoise();
    void EnterDuration();
    // Continuous mode: every start of the sound output holds its tone until
    // the output is switched off; turned off, the tone ends at its loop's end.
    bool Continuous() const { return ToneGen1.Continuous(); }
    void SetContinuous(bool continuous);
    // REC: the "Save Signal" dialog, then the recording; start-up records
    // without a dialog. "WAV File failed" when there is nothing to write.
    void Record();
    void RecordToFile(const std::string& fileName);

    // --- Sweep --------------------------------------------------------------------
    bool Sweeping() const;
    // Starts the sweep after its four prompts, or stops a running one.
    void ToggleSweep();
    void SweepTick();
    std::int32_t SweepStart() const { return sweepStart_; }
    std::int32_t SweepEnd() const { return sweepEnd_; }
    std::int32_t SweepStep() const { return sweepStep_; }
    int SweepInterval() const;

    // --- Amplitude ------------------------------------------------------------------
    int Amplitude() const { return amplitude_; }
    // The master volume in percent (a boosted output reads up to 254), or 255
    // with a dated line on standard error when it cannot be read.
    std::uint8_t GetSystemVolume();
    // Moves the amplitude control (at most 100), then sets the master volume
    // to it; false when the sound server did not take it.
    bool SetSystemVolume(unsigned amplitude);
    // Shows a reading without writing it back (start-up).
    void ShowAmplitude(int percent);
    void StepAmplitude(TStep step);
    void EnterAmplitude();

    std::uint8_t CloseVolume() const { return closeVolume_; }
    void SetCloseVolume(std::uint8_t percent) { closeVolume_ = percent; }
    // A boosted master volume found at start-up, put back at shutdown.
    void RememberBoostedVolume(unsigned percent) { boostedVolumeFound_ = percent; }
    void RestoreCloseVolume();

    // --- Voltage ----------------------------------------------------------------------
    const voltage::Coefficients& Calibration() const { return calibration_; }
    bool Calibrated() const { return calibrated_; }
    void SetCalibration(const voltage::Coefficients& coefficients, bool calibrated);
    TVoltmeterType VoltmeterType() const { return voltmeterType_; }
    void SetVoltmeterType(TVoltmeterType type);
    void CalibrateVoltage();
    void SetAudioVoltage();
    // The display's voltage reading for the amplitude and waveform, and its
    // text: two decimals in the user's locale, "(def)" while uncalibrated.
    double DisplayVoltage() const;
    QString VoltageReadingText() const;

    // --- Batch file ----------------------------------------------------------------------
    // "Save To Batch File": the "Save Batch File" dialog, the questions on the
    // running outputs, then a shell script that starts the program again with
    // the switches of this set-up, from the current directory. Writes the
    // whole script or nothing; throws the system's error when it cannot.
    void SaveToBatchFile();

    // --- Display ------------------------------------------------------------------------
    // The four lines of the display, joined by CR LF.
    QString StatusText() const;

  private:
    void NotifyChanged() const;
    void SetKnobPosition(long double position);
    void KnobChanged();
    void PlaySelectedAudio(tonegen::TTGWave wave);

    TOndrixServices services_; // before ToneGen1, which plays through its device

    TInterfaceId selected_ = TInterfaceId::None;
    bool audioPlaying_ = false;
    bool activeChecked_ = false;
    std::array<bool, 5> connectorChecked_{};
    std::array<std::string, 5> interfaceNames_;
    std::array<long double*, 5> freqVars_{};
    int knob_ = kKnobStart;

    std::unique_ptr<TTimer> dtrToggle_;
    std::unique_ptr<TTimer> rtsToggle_;
    std::unique_ptr<TTimer> ioToggle_;
    std::unique_ptr<TTimer> sweepTimer_;
    bool dtrState_ = false;
    bool rtsState_ = false;
    std::uint8_t ioState_ = 0;
    std::uint8_t ioMask_ = 255;
    std::int32_t ioAddress_ = 888;
    std::string comPortName_ = "COM1";
    std::unique_ptr<platform::SerialLine> comHandle_;
    std::unique_ptr<platform::IoPort> ioPort_;

    std::int32_t sweepStart_ = 0;
    std::int32_t sweepEnd_ = 0;
    std::int32_t sweepStep_ = 0;

    int amplitude_ = 100;
    std::uint8_t closeVolume_ = 255;
    std::optional<unsigned> boostedVolumeFound_;

    voltage::Coefficients calibration_;
    bool calibrated_ = false;
    TVoltmeterType voltmeterType_ = TVoltmeterType::Rms;
};

} // namespace ondrix::app
