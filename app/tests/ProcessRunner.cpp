#include "ProcessRunner.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace ondrix::app::testing {

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

TProcess::TProcess(const std::string& program, const std::vector<std::string>& args,
                   const std::map<std::string, std::string>& env, const std::filesystem::path& outputDir)
{
    static std::atomic<int> counter{0};
    const int n = counter++;
    out_ = outputDir / ("stdout-" + std::to_string(n));
    err_ = outputDir / ("stderr-" + std::to_string(n));

    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStrings)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (const auto& [name, value] : env)
        envStrings.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& e : envStrings)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    const int result = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) throw std::runtime_error("cannot start " + program);
}

TProcess::~TProcess()
{
    if (!status_) {
        Kill();
        Wait(std::chrono::seconds(10));
    }
}

std::optional<int> TProcess::Wait(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!status_) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            status_ = CodeOf(status);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return status_;
}

void TProcess::Kill()
{
    if (!status_ && pid_ > 0) ::kill(pid_, SIGKILL);
}

std::string TProcess::Output() const
{
    return ReadAll(out_);
}

std::string TProcess::Errors() const
{
    return ReadAll(err_);
}

std::optional<int> RunToEnd(const std::string& program, const std::vector<std::string>& args,
                            const std::map<std::string, std::string>& env,
                            const std::filesystem::path& outputDir, std::string* output,
                            std::chrono::milliseconds limit)
{
    TProcess process(program, args, env, outputDir);
    const auto code = process.Wait(limit);
    if (output) *output = process.Output();
    return code;
}

} // namespace ondrix::app::testing
