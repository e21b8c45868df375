// The front panel's frequency controls (knob, digit buttons, prompt), the
// waveform commands, the sweep, the duration and the recording.
#include "app/model/Instrument.h"
#include "app/model/NumberText.h"
#include "app/model/PromptFormula.h"
#include "common/RoundHalfEven.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <stdexcept>

namespace ondrix::app {

namespace {

std::int16_t ToneFrequency(long double hertz)
{
    const double rounded = common::RoundHalfEven(static_cast<double>(std::clamp<long double>(hertz, -1e9L, 1e9L)));
    return ClampTo<std::int16_t>(static_cast<std::int64_t>(rounded), INT16_MIN, INT16_MAX);
}

} // namespace

void TInstrument::SetKnobPosition(long double position)
{
    // Kept within the knob's range, never wrapped.
    if (std::isnan(position)) throw std::domain_error("Frequency is not a number");
    const long double clamped = std::clamp<long double>(position, kMinKnob, kMaxKnob);
    knob_ = static_cast<int>(common::RoundHalfEven(static_cast<double>(clamped)));
}

void TInstrument::KnobChanged()
{
    if (selected_ == TInterfaceId::None) return;
    FreqVar(selected_) = knob_;
    if (selected_ == TInterfaceId::Audio)
        ToneGen1.SetFrequency(static_cast<std::int16_t>(knob_));
    else
        SetPortFrequency(selected_, knob_);
    ApplyActive();
}

void TInstrument::StepKnob(TStep step)
{
    if (selected_ == TInterfaceId::None) return;
    SetKnobPosition(knob_ + (step == TStep::Up ? kKnobStep : -kKnobStep));
    KnobChanged();
}

void TInstrument::ClickDigit(int tag)
{
    if (selected_ == TInterfaceId::None) return;
    FreqVar(selected_) = tag;
    SetKnobPosition(tag);
    KnobChanged();
}

void TInstrument::EnterFrequency()
{
    if (selected_ == TInterfaceId::None) return;
    QString text = ShortestText(FreqVar(selected_));
    if (!Dialogs().InputQuery("Frequency", "Enter Frequency in Hz", text)) return;
    MDParser1.SetExpression(text.toStdString());
    const long double value = PromptFormulaValue(MDParser1);
    if (std::isnan(value)) throw std::domain_error("Frequency is not a number");
    FreqVar(selected_) = value;
    SetKnobPosition(value);
    KnobChanged();
}

void TInstrument::PlaySelectedAudio(tonegen::TTGWave wave)
{
    ToneGen1.SetWaveform(wave);
    activeChecked_ = true;
    ApplyActive();
}

void TInstrument::ChooseWaveform(tonegen::TTGWave wave)
{
    selected_ = TInterfaceId::Audio;
    PlaySelectedAudio(wave);
}

void TInstrument::StartToneFromCommandLine(tonegen::TTGWave wave)
{
    ToneGen1.SetWaveform(wave);
    selected_ = TInterfaceId::Audio;
    audioPlaying_ = true;
    ToneGen1.Play();
    NotifyChanged();
}

void TInstrument::SelectAudioForMenu()
{
    selected_ = TInterfaceId::Audio;
    NotifyChanged();
}

void TInstrument::ChooseNoise()
{
    PlaySelectedAudio(tonegen::tgNoise);
}

void TInstrument::EnterDuration()
{
    const QString text = Dialogs().InputBox("Set Duration", "Number of milliseconds", "");
    if (const auto duration = TryStrToInt(text.toStdString()))
        ToneGen1.SetDuration(ClampTo<std::int16_t>(*duration, INT16_MIN, INT16_MAX));
}

void TInstrument::SetContinuous(bool continuous)
{
    ToneGen1.SetContinuous(continuous);
    NotifyChanged();
}

void TInstrument::Record()
{
    const auto fileName = Dialogs().SaveFileName({"Save Signal", "Wave Files|*.wav", "wav", {}});
    if (fileName) RecordToFile(fileName->toStdString());
}

void TInstrument::RecordToFile(const std::string& fileName)
{
    const platform::WriteOutcome written = ToneGen1.ExportFile(fileName);
    if (written) return;
    // With nothing to write the message is the plain one; a file that could
    // not be written says why.
    if (written.error == ENODATA) throw std::runtime_error("WAV File failed");
    throw std::runtime_error("WAV File failed: " + written.reason);
}

bool TInstrument::Sweeping() const
{
    return sweepTimer_->Enabled();
}

int TInstrument::SweepInterval() const
{
    return sweepTimer_->Interval();
}

void TInstrument::ToggleSweep()
{
    if (sweepTimer_->Enabled()) {
        // The tone keeps its last frequency.
        sweepTimer_->SetEnabled(false);
        NotifyChanged();
        return;
    }
    // A cancelled prompt answers its pre-filled text; the first three stop at
    // anything that is not an integer.
    const auto interval = TryStrToInt(
        Dialogs().InputBox("Sweep Interval", "Enter number of milliseconds between each frequency", "").toStdString());
    if (!interval) return;
    const auto start = TryStrToInt(Dialogs().InputBox("Start Frequency", "Starting Frequency in Hz", "").toStdString());
    if (!start) return;
    const auto end = TryStrToInt(Dialogs().InputBox("End Frequency", "End Frequency in Hz", "").toStdString());
    if (!end) return;
    const auto step =
        TryStrToInt(Dialogs().InputBox("Steps", "Number of steps between frequencies", "1").toStdString());

    sweepStart_ = *start;
    sweepEnd_ = *end;
    sweepStep_ = step.value_or(1);
    FreqVar(TInterfaceId::Audio) = sweepStart_;
    sweepTimer_->SetInterval(*interval);
    sweepTimer_->SetEnabled(true);
    NotifyChanged();
}

void TInstrument::SweepTick()
{
    long double& frequency = FreqVar(TInterfaceId::Audio);
    frequency += sweepStep_;
    if (common::RoundHalfEven(static_cast<double>(frequency)) > sweepEnd_) frequency = sweepStart_;
    ToneGen1.SetFrequency(ToneFrequency(frequency));
    selected_ = TInterfaceId::Audio;
    activeChecked_ = true;
    ApplyActive();
}

} // namespace ondrix::app
