#pragma once

#include "platform/IoPort.h"
#include "platform/SerialLine.h"
#include "platform/SystemError.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ondrix::app::testing {

// Every port opened and closed, line change and port write the fakes saw, in order.
struct TPortLog
{
    struct LineChange
    {
        std::string Port;
        char Line; // 'D' (DTR) or 'R' (RTS)
        bool On;
        bool operator==(const LineChange&) const = default;
    };
    struct Write
    {
        std::uint16_t Address;
        std::uint16_t Value;
        bool operator==(const Write&) const = default;
    };

    std::vector<std::string> Opened; // serial port names opened
    std::vector<std::string> Closed; // serial port names closed
    std::vector<LineChange> Lines;
    std::vector<Write> Writes;
};

class TFakeSerialLine : public platform::SerialLine
{
  public:
    TFakeSerialLine(std::shared_ptr<TPortLog> log, std::string port)
        : log_(std::move(log)), port_(std::move(port))
    {
        log_->Opened.push_back(port_);
    }
    ~TFakeSerialLine() override { log_->Closed.push_back(port_); }
    void SetDtr(bool on) override { log_->Lines.push_back({port_, 'D', on}); }
    void SetRts(bool on) override { log_->Lines.push_back({port_, 'R', on}); }

  private:
    std::shared_ptr<TPortLog> log_;
    std::string port_;
};

class TFakeIoPort : public platform::IoPort
{
  public:
    explicit TFakeIoPort(std::shared_ptr<TPortLog> log) : log_(std::move(log)) {}
    void Out32(std::uint16_t port, std::uint16_t value) override { log_->Writes.push_back({port, value}); }
    bool Loaded() const override { return true; }

  private:
    std::shared_ptr<TPortLog> log_;
};

} // namespace ondrix::app::testing
