#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ondrix::platform::test {

// A fresh folder under the system's temporary folder, removed with its contents.
class TemporaryFolder
{
  public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// Sets an environment variable (or unsets it for nullopt) and restores it.
class ScopedEnvironment
{
  public:
    ScopedEnvironment(std::string name, const std::optional<std::string>& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    std::string name_;
    std::optional<std::string> saved_;
};

struct ProcessResult
{
    int exitCode = -1; // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// A started program with its standard output and error captured.
class ChildProcess
{
  public:
    // extraEnvironment entries are "NAME=value", added to this process's environment.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& extraEnvironment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    ProcessResult Wait();

  private:
    int pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
};

inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                                const std::vector<std::string>& extraEnvironment = {})
{
    return ChildProcess(program, arguments, extraEnvironment).Wait();
}

} // namespace ondrix::platform::test
