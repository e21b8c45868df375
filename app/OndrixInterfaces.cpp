// The four outputs: their names, the connector and Active boxes, the port
// toggles and the two buttons that change the ports.
#include "app/NumberText.h"
#include "app/TOndrix.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <stdexcept>

namespace ondrix::app {

void TOndrix::SetInterfaceName(int id, const std::string& text)
{
    switch (id) {
    case ifNone:
        InterfaceNames[id] = "NULL";
        break;
    case ifAudio:
        InterfaceNames[id] = "Audio";
        break;
    case ifIo:
        InterfaceNames[id] = "I/O(" + text + ")";
        break;
    case ifDtr:
        InterfaceNames[id] = "DTR(" + text + ")";
        break;
    case ifRts:
        InterfaceNames[id] = "RTS(" + text + ")";
        break;
    default:
        throw std::out_of_range("\"" + std::to_string(id) + "\" is not as valid interface id");
    }
}

const std::string& TOndrix::InterfaceName(int id) const
{
    if (id < ifNone || id > ifRts)
        throw std::out_of_range("\"" + std::to_string(id) + "\" is not a valid interface id");
    return InterfaceNames[id];
}

TTimer* TOndrix::ToggleTimer(int id) const
{
    switch (id) {
    case ifIo:
        return Timer3;
    case ifDtr:
        return Timer1;
    case ifRts:
        return Timer2;
    default:
        return nullptr;
    }
}

QCheckBox* TOndrix::ConnectorBox(int id) const
{
    switch (id) {
    case ifAudio:
        return CheckBox1;
    case ifIo:
        return CheckBox2;
    case ifDtr:
        return CheckBox3;
    case ifRts:
        return CheckBox4;
    default:
        return nullptr;
    }
}

void TOndrix::CheckBox1Click(QCheckBox* Sender)
{
    for (int id = ifAudio; id <= ifRts; ++id) {
        if (QCheckBox* box = ConnectorBox(id); box != Sender) box->setChecked(false);
    }
    // The box clicked last is the selection, checked or not.
    SelectedInterface = Sender->property("tag").toInt();
    CheckBox5Click();
}

void TOndrix::CheckBox5Click()
{
    const bool active = CheckBox5->isChecked();
    switch (SelectedInterface) {
    case ifNone:
        return;
    case ifAudio:
        AudioPlaying = active;
        if (active)
            ToneGen1.Play();
        else
            ToneGen1.Stop();
        return;
    default:
        ToggleTimer(SelectedInterface)->SetEnabled(active);
        return;
    }
}

void TOndrix::Timer1Timer()
{
    DtrState = !DtrState;
    if (!ComHandle) throw platform::SystemError(EBADF);
    ComHandle->SetDtr(DtrState);
}

void TOndrix::Timer2Timer()
{
    RtsState = !RtsState;
    if (!ComHandle) throw platform::SystemError(EBADF);
    ComHandle->SetRts(RtsState);
}

void TOndrix::Timer3Timer()
{
    if (IoAddress < 1 || IoAddress > 65535) return;
    IoState ^= IoMask;
    Out32Proc(static_cast<std::uint16_t>(IoAddress), IoState);
}

void TOndrix::OpenComPort()
{
    ComHandle.reset();
    if (!services_.OpenSerialLine) throw platform::SystemError(ENODEV);
    ComHandle = services_.OpenSerialLine(ComPortName);
}

void TOndrix::SpeedButton1Click()
{
    QString portName = QString::fromStdString(ComPortName);
    if (!Dialogs().InputQuery("Change COM Port", "Enter COM Port", portName)) return;
    ComPortName = portName.toStdString();
    SetInterfaceName(ifDtr, ComPortName);
    SetInterfaceName(ifRts, ComPortName);
    // A running DTR or RTS toggle goes on with the new port.
    OpenComPort();
}

void TOndrix::SpeedButton3Click()
{
    QString address = "$378";
    if (!Dialogs().InputQuery("I/O Address", "Enter I/O Address", address)) return;
    QString mask = "$FF";
    if (!Dialogs().InputQuery("Mask", "Enter a number to XOR the register by", mask)) return;
    IoAddress = StrToInt(address.toStdString());
    SetInterfaceName(ifIo, IntToHex4(IoAddress));
    IoMask = ClampTo<std::uint8_t>(StrToInt(mask.toStdString()), 0, 255);
}

void TOndrix::RecordToFile(const std::string& fileName)
{
    if (!ToneGen1.ExportFile(fileName)) throw std::runtime_error("WAV File failed");
}

} // namespace ondrix::app
