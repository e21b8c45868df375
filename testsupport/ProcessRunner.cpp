#include "testsupport/ProcessRunner.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace ondrix::testsupport {

namespace {

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int CodeOf(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

Environment InheritedEnvironment(const Environment& changes)
{
    Environment environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos) environment.emplace(text.substr(0, equals), text.substr(equals + 1));
    }
    for (const auto& [name, value] : changes)
        environment[name] = value;
    return environment;
}

Process::Process(const std::string& program, const std::vector<std::string>& arguments,
                 const Environment& environment)
{
    std::vector<std::string> argumentStore{program};
    argumentStore.insert(argumentStore.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : argumentStore)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<std::string> environmentStore;
    for (const auto& [name, value] : environment)
        environmentStore.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& entry : environmentStore)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    const std::string out = (outputFolder_.Path() / "stdout").string();
    const std::string err = (outputFolder_.Path() / "stderr").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    const int result = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + program);
    }
}

Process::~Process()
{
    if (!status_) {
        Kill();
        Wait(std::chrono::seconds(10));
    }
}

std::optional<int> Process::Wait(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!status_) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            status_ = CodeOf(status);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return status_;
}

void Process::Kill()
{
    if (!status_ && pid_ > 0) ::kill(pid_, SIGKILL);
}

std::string Process::Output() const
{
    return ReadAll(outputFolder_.Path() / "stdout");
}

std::string Process::Errors() const
{
    return ReadAll(outputFolder_.Path() / "stderr");
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const Environment& environment, std::chrono::milliseconds limit)
{
    Process process(program, arguments, environment);
    ProcessResult result;
    result.exitCode = process.Wait(limit);
    result.out = process.Output();
    result.err = process.Errors();
    return result;
}

} // namespace ondrix::testsupport
