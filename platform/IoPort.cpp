#include "platform/IoPort.h"

#include "platform/SystemError.h"

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace ondrix::platform {
namespace {

// The device file maps file offsets to I/O port addresses one to one.
class DevicePort final : public IoPort
{
  public:
    explicit DevicePort(int fd) : fd_(fd) {}
    ~DevicePort() override { ::close(fd_); }
    DevicePort(const DevicePort&) = delete;
    DevicePort& operator=(const DevicePort&) = delete;

    void Out32(std::uint16_t port, std::uint16_t value) override
    {
        const auto byte = static_cast<unsigned char>(value & 0xFF);
        ssize_t written;
        do {
            written = ::pwrite(fd_, &byte, 1, static_cast<off_t>(port));
        } while (written < 0 && errno == EINTR);
        if (written < 0) throw SystemErrorFromErrno(errno);
        if (written != 1) throw SystemErrorFromErrno(EIO);
    }

    bool Loaded() const override { return true; }

  private:
    int fd_;
};

// Stands in when port access is unavailable: every write fails, as the
// program reports a missing port library.
class MissingPort final : public IoPort
{
  public:
    void Out32(std::uint16_t, std::uint16_t) override
    {
        throw std::runtime_error(kIoPortUnavailableMessage);
    }
    bool Loaded() const override { return false; }
};

} // namespace

std::unique_ptr<IoPort> OpenIoPort(const std::filesystem::path& device)
{
    const int fd = ::open(device.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return std::make_unique<MissingPort>();
    return std::make_unique<DevicePort>(fd);
}

} // namespace ondrix::platform
