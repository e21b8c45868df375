#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

namespace ondrix::platform {

// The error of every write to a parallel port whose access could not be opened.
inline constexpr const char* kIoPortUnavailableMessage = "inpout dll failed to load";

// Byte writes to x86 I/O port addresses (the parallel port's data register).
class IoPort
{
  public:
    virtual ~IoPort() = default;

    // Writes the low byte of value to the I/O port address `port`.
    // Throws std::runtime_error("inpout dll failed to load") when the port
    // access could not be opened at start, SystemError when the write fails.
    virtual void Out32(std::uint16_t port, std::uint16_t value) = 0;

    // False when port access could not be opened and every Out32 fails.
    virtual bool Loaded() const = 0;
};

// Port access through the kernel's I/O-port device (root or CAP_SYS_RAWIO).
// When the device cannot be opened (missing, no permission) the result is a
// port whose every write fails with "inpout dll failed to load"; nothing is
// reported here. `device` is for tests only.
std::unique_ptr<IoPort> OpenIoPort(const std::filesystem::path& device = "/dev/port");

} // namespace ondrix::platform
