#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace ondrix::app::testing {

// A program run as a user would: its own environment, standard input closed,
// standard output and error captured in files.
class TProcess
{
  public:
    // Starts `program` with `args` and exactly the variables of `env`.
    TProcess(const std::string& program, const std::vector<std::string>& args,
             const std::map<std::string, std::string>& env, const std::filesystem::path& outputDir);
    ~TProcess(); // kills it if still running

    // The exit code (128 + signal when killed by one), or nullopt when it
    // has not ended within `limit`.
    std::optional<int> Wait(std::chrono::milliseconds limit);
    void Kill();
    pid_t Pid() const { return pid_; }

    std::string Output() const;
    std::string Errors() const;

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::filesystem::path out_, err_;
};

// Runs a program to its end (killed after `limit`) and returns its exit code.
std::optional<int> RunToEnd(const std::string& program, const std::vector<std::string>& args,
                            const std::map<std::string, std::string>& env,
                            const std::filesystem::path& outputDir, std::string* output = nullptr,
                            std::chrono::milliseconds limit = std::chrono::seconds(60));

} // namespace ondrix::app::testing
