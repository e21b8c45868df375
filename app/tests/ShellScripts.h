#pragma once

#include "testsupport/ProcessRunner.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace ondrix::app::testing {

// The environment a script is run with: enough to find sh and the programs.
inline testsupport::Environment ScriptEnvironment()
{
    return {{"PATH", "/usr/bin:/bin"}};
}

// Checks a script as sh parses it and as shellcheck judges it (from Debian's
// shellcheck package, which scripts/setup installs).
inline void ExpectValidShell(const std::filesystem::path& script)
{
    EXPECT_EQ(testsupport::RunProcess("/bin/sh", {"-n", script.string()}, ScriptEnvironment()).exitCode, 0);
    const std::filesystem::path shellcheck = "/usr/bin/shellcheck";
    if (!std::filesystem::exists(shellcheck)) {
        ADD_FAILURE() << "shellcheck is not installed (scripts/setup installs it)";
        return;
    }
    const testsupport::ProcessResult checked =
        testsupport::RunProcess(shellcheck.string(), {script.string()}, ScriptEnvironment());
    EXPECT_EQ(checked.exitCode, 0) << checked.out;
}

// As above for a script's text, written to `dir`.
inline void ExpectValidShellText(const std::string& text, const std::filesystem::path& dir)
{
    const std::filesystem::path script = dir / "check.sh";
    std::ofstream(script, std::ios::binary) << text;
    ExpectValidShell(script);
}

} // namespace ondrix::app::testing
