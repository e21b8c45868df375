#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace ondrix::testsupport {

// Sets an environment variable (or unsets it for nullopt) for as long as it
// lives, then puts back what was there.
class ScopedEnvironment
{
  public:
    ScopedEnvironment(std::string name, const std::optional<std::string>& value) : name_(std::move(name))
    {
        if (const char* old = std::getenv(name_.c_str())) saved_ = old;
        Apply(value);
    }
    ~ScopedEnvironment() { Apply(saved_); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    void Apply(const std::optional<std::string>& value) const
    {
        if (value)
            ::setenv(name_.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }

    std::string name_;
    std::optional<std::string> saved_;
};

} // namespace ondrix::testsupport
