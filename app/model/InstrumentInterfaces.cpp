// The four outputs: their names, the connector and Active boxes, the port
// toggles and the two commands that change the ports.
#include "app/model/Instrument.h"
#include "app/model/NumberText.h"
#include "app/model/ToggleInterval.h"
#include "platform/IoPort.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <stdexcept>

namespace ondrix::app {

void TInstrument::SetInterfaceName(TInterfaceId id, const std::string& text)
{
    switch (id) {
    case TInterfaceId::None:
        interfaceNames_[0] = "NULL";
        return;
    case TInterfaceId::Audio:
        interfaceNames_[1] = "Audio";
        return;
    case TInterfaceId::Io:
        interfaceNames_[2] = "I/O(" + text + ")";
        return;
    case TInterfaceId::Dtr:
        interfaceNames_[3] = "DTR(" + text + ")";
        return;
    case TInterfaceId::Rts:
        interfaceNames_[4] = "RTS(" + text + ")";
        return;
    }
    throw std::out_of_range("\"" + std::to_string(IdNumber(id)) + "\" is not as valid interface id");
}

const std::string& TInstrument::InterfaceName(TInterfaceId id) const
{
    if (!IsValidInterface(id))
        throw std::out_of_range("\"" + std::to_string(IdNumber(id)) + "\" is not a valid interface id");
    return interfaceNames_[IdNumber(id)];
}

bool TInstrument::ConnectorChecked(TInterfaceId id) const
{
    return IsValidInterface(id) && connectorChecked_[IdNumber(id)];
}

bool TInstrument::OutputOn(TInterfaceId id) const
{
    if (id == TInterfaceId::Audio) return audioPlaying_;
    const TTimer* timer = ToggleTimer(id);
    return timer && timer->Enabled();
}

TTimer* TInstrument::ToggleTimer(TInterfaceId id) const
{
    switch (id) {
    case TInterfaceId::Io:
        return ioToggle_.get();
    case TInterfaceId::Dtr:
        return dtrToggle_.get();
    case TInterfaceId::Rts:
        return rtsToggle_.get();
    default:
        return nullptr;
    }
}

void TInstrument::ClickConnector(TInterfaceId id, bool checkedAfterClick)
{
    if (id == TInterfaceId::None || !IsValidInterface(id)) return;
    connectorChecked_.fill(false);
    connectorChecked_[IdNumber(id)] = checkedAfterClick;
    // The box clicked last is the selection, checked or not.
    selected_ = id;
    ApplyActive();
}

void TInstrument::ClickActive(bool checked)
{
    activeChecked_ = checked;
    ApplyActive();
}

void TInstrument::SetActiveChecked(bool checked)
{
    activeChecked_ = checked;
    NotifyChanged();
}

void TInstrument::ApplyActive()
{
    switch (selected_) {
    case TInterfaceId::None:
        break;
    case TInterfaceId::Audio:
        audioPlaying_ = activeChecked_;
        if (activeChecked_)
            ToneGen1.Play();
        else
            ToneGen1.Stop();
        break;
    default:
        ToggleTimer(selected_)->SetEnabled(activeChecked_);
        break;
    }
    NotifyChanged();
}

void TInstrument::SetPortFrequency(TInterfaceId id, long double frequency)
{
    FreqVar(id) = frequency;
    if (TTimer* timer = ToggleTimer(id)) timer->SetInterval(IntervalForFrequency(frequency));
}

void TInstrument::DtrTick()
{
    dtrState_ = !dtrState_;
    if (!comHandle_) throw platform::SystemError(EBADF);
    comHandle_->SetDtr(dtrState_);
}

void TInstrument::RtsTick()
{
    rtsState_ = !rtsState_;
    if (!comHandle_) throw platform::SystemError(EBADF);
    comHandle_->SetRts(rtsState_);
}

void TInstrument::IoTick()
{
    if (ioAddress_ < 1 || ioAddress_ > 65535) return;
    ioState_ ^= ioMask_;
    Out32(static_cast<std::uint16_t>(ioAddress_), ioState_);
}

void TInstrument::LoadIoPortAccess()
{
    // A port that cannot be opened is not reported now; every write reports it.
    ioPort_ = services_.OpenIoPort ? services_.OpenIoPort() : nullptr;
}

void TInstrument::UnloadIoPortAccess()
{
    // A tick after this point reports the missing port instead of using it.
    ioPort_.reset();
}

void TInstrument::Out32(std::uint16_t address, std::uint16_t value)
{
    if (!ioPort_) throw std::runtime_error(platform::kIoPortUnavailableMessage);
    ioPort_->Out32(address, value);
}

void TInstrument::OpenComPort()
{
    comHandle_.reset();
    if (!services_.OpenSerialLine) throw platform::SystemError(ENODEV);
    comHandle_ = services_.OpenSerialLine(comPortName_);
}

void TInstrument::CloseComPort()
{
    comHandle_.reset();
}

void TInstrument::ChangeComPort()
{
    QString portName = QString::fromStdString(comPortName_);
    if (!Dialogs().InputQuery("Change COM Port", "Enter COM Port", portName)) return;
    comPortName_ = portName.toStdString();
    SetInterfaceName(TInterfaceId::Dtr, comPortName_);
    SetInterfaceName(TInterfaceId::Rts, comPortName_);
    NotifyChanged();
    // A running DTR or RTS toggle goes on with the new port.
    OpenComPort();
}

void TInstrument::ChangeIoPort()
{
    QString address = "$378";
    if (!Dialogs().InputQuery("I/O Address", "Enter I/O Address", address)) return;
    QString mask = "$FF";
    if (!Dialogs().InputQuery("Mask", "Enter a number to XOR the register by", mask)) return;
    ioAddress_ = StrToInt(address.toStdString());
    SetInterfaceName(TInterfaceId::Io, IntToHex4(ioAddress_));
    NotifyChanged();
    ioMask_ = ClampTo<std::uint8_t>(StrToInt(mask.toStdString()), 0, 255);
}

} // namespace ondrix::app
