#pragma once

#include <stdexcept>
#include <string>

namespace ondrix::platform {

// An operating-system failure, reported the way the program shows every
// system error: "System Error.  Code: <errno>.\r\n<system text>".
class SystemError : public std::runtime_error
{
  public:
    // The message is built from the error number and the C library's text for it.
    explicit SystemError(int code);

    int Code() const { return code_; }

  private:
    int code_;
};

// The error for an errno value (call it right after the failing call).
SystemError SystemErrorFromErrno(int err);

// The C library's text for an error number ("No such file or directory").
std::string SystemErrorText(int err);

} // namespace ondrix::platform
