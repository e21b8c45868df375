#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "testsupport/TempFolder.h"

namespace ondrix::testsupport {

// Variables by name, exactly what a started program sees.
using Environment = std::map<std::string, std::string>;

// This process's environment with `changes` applied over it.
Environment InheritedEnvironment(const Environment& changes = {});

// A program run as a user would run it from a script: exactly the variables
// it is given, standard input closed, standard output and error captured in
// files of its own (so that a program that writes much never stalls on a pipe).
class Process
{
  public:
    Process(const std::string& program, const std::vector<std::string>& arguments,
            const Environment& environment = InheritedEnvironment());
    ~Process(); // kills it if still running
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // The exit code (128 + the signal when one ended it), or nullopt when it
    // has not ended within `limit`.
    std::optional<int> Wait(std::chrono::milliseconds limit = std::chrono::seconds(60));
    void Kill();
    pid_t Pid() const { return pid_; }

    std::string Output() const;
    std::string Errors() const;

  private:
    TempFolder outputFolder_;
    pid_t pid_ = -1;
    std::optional<int> status_;
};

struct ProcessResult
{
    std::optional<int> exitCode; // nullopt: killed at the time limit
    std::string out;
    std::string err;
};

// Runs a program to its end (killed after `limit`).
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const Environment& environment = InheritedEnvironment(),
                         std::chrono::milliseconds limit = std::chrono::seconds(60));

} // namespace ondrix::testsupport
