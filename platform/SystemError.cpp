#include "platform/SystemError.h"

#include <cstring>
#include <string>

namespace ondrix::platform {
namespace {

std::string Message(int code)
{
    return "System Error.  Code: " + std::to_string(code) + ".\r\n" + SystemErrorText(code);
}

} // namespace

std::string SystemErrorText(int err)
{
    char buffer[256];
    // GNU strerror_r: thread-safe, returns either buffer or a static text.
    return ::strerror_r(err, buffer, sizeof buffer);
}

SystemError::SystemError(int code) : std::runtime_error(Message(code)), code_(code) {}

SystemError SystemErrorFromErrno(int err)
{
    return SystemError(err);
}

} // namespace ondrix::platform
