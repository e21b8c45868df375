#pragma once

#include "app/model/Services.h"
#include "platform/IoPort.h"
#include "platform/SerialLine.h"

#include <memory>

namespace ondrix::bench {

// Ports that take every write at once, as a real port nearly does.
class TNullSerialLine : public platform::SerialLine
{
  public:
    void SetDtr(bool) override {}
    void SetRts(bool) override {}
};

class TNullIoPort : public platform::IoPort
{
  public:
    void Out32(std::uint16_t, std::uint16_t) override {}
    bool Loaded() const override { return true; }
};

// The program's services with silent sound and ports that cost nothing, so
// only the program's own work is measured.
inline app::TOndrixServices QuietServices()
{
    app::TOndrixServices services;
    services.SoundDevice = platform::SilentSoundDevice();
    services.OpenSerialLine = [](const std::string&) { return std::make_unique<TNullSerialLine>(); };
    services.OpenIoPort = [] { return std::make_unique<TNullIoPort>(); };
    services.MakeTimer = app::QtTimers();
    return services;
}

} // namespace ondrix::bench
