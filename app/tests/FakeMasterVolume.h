#pragma once

#include "platform/MasterVolume.h"

#include <optional>
#include <vector>

namespace ondrix::app::testing {

// A master volume in memory that records every change; it can be made
// unreadable or unsettable, as an unreachable sound server is.
class TFakeMasterVolume : public platform::MasterVolume
{
  public:
    explicit TFakeMasterVolume(unsigned percent) : percent_(percent) {}

    std::optional<unsigned> GetPercent() override
    {
        ++Reads;
        return Readable ? std::optional<unsigned>(percent_) : std::nullopt;
    }
    bool SetPercent(unsigned percent) override
    {
        if (!Settable) return false;
        percent_ = percent;
        Sets.push_back(percent);
        return true;
    }

    unsigned Percent() const { return percent_; }

    bool Readable = true;
    bool Settable = true;
    int Reads = 0;
    std::vector<unsigned> Sets;

  private:
    unsigned percent_;
};

} // namespace ondrix::app::testing
