#include "platform/SerialLine.h"

#include "platform/SystemError.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace ondrix::platform {
namespace {

bool IsComName(const std::string& name, unsigned long& number)
{
    if (name.size() < 4) return false;
    for (int i = 0; i < 3; ++i) {
        if ((name[i] | 0x20) != "com"[i]) return false;
    }
    number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || number > 100000) return false;
        number = number * 10 + static_cast<unsigned long>(name[i] - '0');
    }
    return number >= 1;
}

class TermiosLine final : public SerialLine
{
  public:
    explicit TermiosLine(int fd) : fd_(fd) {}
    ~TermiosLine() override { ::close(fd_); }
    TermiosLine(const TermiosLine&) = delete;
    TermiosLine& operator=(const TermiosLine&) = delete;

    void SetDtr(bool on) override { Set(TIOCM_DTR, on); }
    void SetRts(bool on) override { Set(TIOCM_RTS, on); }

  private:
    void Set(int line, bool on)
    {
        if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) != 0) throw SystemErrorFromErrno(errno);
    }

    int fd_;
};

// Closes the descriptor unless ownership was handed on.
struct FdGuard
{
    int fd;
    ~FdGuard()
    {
        if (fd >= 0) ::close(fd);
    }
};

} // namespace

std::string SerialDevicePath(const std::string& portName)
{
    unsigned long number = 0;
    if (IsComName(portName, number)) return "/dev/ttyS" + std::to_string(number - 1);
    if (!portName.empty() && portName.front() == '/') return portName;
    return "/dev/" + portName;
}

std::unique_ptr<SerialLine> OpenSerialLine(const std::string& portName)
{
    const std::string path = SerialDevicePath(portName);
    // O_NONBLOCK: a modem line without carrier would otherwise block the open.
    FdGuard guard{::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)};
    if (guard.fd < 0) throw SystemErrorFromErrno(errno);
    const int fd = guard.fd;

    // Exclusive use: TIOCEXCL keeps other openers out (root excepted), the
    // lock keeps a second copy of this program out even when run as root.
    if (::ioctl(fd, TIOCEXCL) != 0) throw SystemErrorFromErrno(errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) throw SystemErrorFromErrno(errno == EWOULDBLOCK ? EBUSY : errno);

    // Hardware flow control would let the driver drive RTS; CLOCAL ignores carrier.
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) throw SystemErrorFromErrno(errno);
    settings.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    settings.c_cflag |= CLOCAL;
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) throw SystemErrorFromErrno(errno);

    // Refuse devices without modem-control lines now, so that a wrong port is
    // reported when it is chosen rather than on every toggle afterwards.
    int lines = 0;
    if (::ioctl(fd, TIOCMGET, &lines) != 0) throw SystemErrorFromErrno(errno);

    guard.fd = -1;
    return std::make_unique<TermiosLine>(fd);
}

} // namespace ondrix::platform
