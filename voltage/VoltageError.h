#pragma once

#include <stdexcept>

namespace ondrix::voltage {

// A failure of a voltage operation; its message is shown to the user as is.
class VoltageError : public std::runtime_error
{
  public:
    using std::runtime_error::runtime_error;
};

} // namespace ondrix::voltage
