#pragma once

#include <memory>
#include <string>

namespace ondrix::platform {

// The two modem-control output lines of an open serial device.
class SerialLine
{
  public:
    virtual ~SerialLine() = default;

    // Raise (true) or drop (false) the line; throws SystemError on failure.
    virtual void SetDtr(bool on) = 0;
    virtual void SetRts(bool on) = 0;
};

// The device file for a port name: "COMn" (any letter case) is /dev/ttyS(n-1),
// a name starting with "/" is used as it is, any other name is looked up under
// /dev ("ttyUSB0" -> /dev/ttyUSB0).
std::string SerialDevicePath(const std::string& portName);

// Opens the serial device named by portName for exclusive use: read-write, no
// controlling terminal, never created, hardware flow control off so that RTS
// follows the program. A device without modem-control lines (a pseudo-terminal,
// a plain file) is refused here rather than at the first toggle. Throws
// SystemError with errno on failure (ENOENT, EBUSY, ENOTTY, EACCES...).
// Closing (destroying) the line leaves the lines as the driver's hang-up rule says.
std::unique_ptr<SerialLine> OpenSerialLine(const std::string& portName);

} // namespace ondrix::platform
