#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ondrix::app {

// The program's command-line items (`Args`): item 0 is the program path and is
// never tested as a switch. Both tests ignore ASCII letter case, and the first
// matching item wins, so a switch given earlier overrides the same one later.
class TCommandLine
{
  public:
    TCommandLine() = default;
    explicit TCommandLine(std::vector<std::string> items) : items_(std::move(items)) {}

    // Some item from 1 on equals `name` ("/hide").
    bool HasFlag(const std::string& name) const;

    // The text after the first "=" of the first item from 1 on of the form
    // name=value ("/com=COM3" → "COM3"); nullopt when there is none.
    std::optional<std::string> Value(const std::string& name) const;

    // The program's file name without its folder ("" when there is no item 0).
    std::string ProgramFileName() const;

    const std::vector<std::string>& Items() const { return items_; }
    void Clear() { items_.clear(); }

  private:
    std::vector<std::string> items_;
};

} // namespace ondrix::app
