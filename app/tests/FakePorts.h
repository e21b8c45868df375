#pragma once

#include "platform/IoPort.h"
#include "platform/SerialLine.h"
#include "platform/SoundDevice.h"
#include "platform/SystemError.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ondrix::app::testing {

// Every line change, port write and sound call the fakes saw, in order.
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
    int Plays = 0;
    int Stops = 0;
    int LoopEnds = 0; // a looping tone told to end at its loop's end
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

// Keeps the last image played, so tests can compare it with a recording.
class TFakeSoundDevice : public platform::SoundDevice
{
  public:
    explicit TFakeSoundDevice(std::shared_ptr<TPortLog> log) : log_(std::move(log)) {}
    bool Play(const std::uint8_t* image, std::size_t size, platform::PlayMode mode) override
    {
        ++log_->Plays;
        LastMode = mode;
        LastImage.assign(image, image + size);
        return true;
    }
    void Stop() override { ++log_->Stops; }
    void EndLoop() override { ++log_->LoopEnds; }
    bool GetVolume(std::uint32_t& word) override
    {
        word = volume_;
        return true;
    }
    bool SetVolume(std::uint32_t word) override
    {
        volume_ = word;
        return true;
    }
    std::vector<std::uint8_t> LastImage;
    platform::PlayMode LastMode{};

  private:
    std::shared_ptr<TPortLog> log_;
    std::uint32_t volume_ = 0xFFFFFFFF;
};

} // namespace ondrix::app::testing
