#pragma once

#include "ProcessRunner.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace ondrix::app::testing {

// The environment a script is run with: enough to find sh and the programs.
inline std::map<std::string, std::string> ScriptEnvironment()
{
    return {{"PATH", "/usr/bin:/bin"}};
}

// Checks a script as sh parses it and as shellcheck judges it (from Debian's
// shellcheck package, which scripts/setup installs).
inline void ExpectValidShell(const std::filesystem::path& script, const std::filesystem::path& outputDir)
{
    std::string output;
    EXPECT_EQ(RunToEnd("/bin/sh", {"-n", script.string()}, ScriptEnvironment(), outputDir), 0);
    const std::filesystem::path shellcheck = "/usr/bin/shellcheck";
    if (!std::filesystem::exists(shellcheck)) {
        ADD_FAILURE() << "shellcheck is not installed (scripts/setup installs it)";
        return;
    }
    EXPECT_EQ(RunToEnd(shellcheck.string(), {script.string()}, ScriptEnvironment(), outputDir, &output), 0)
        << output;
}

// As above for a script's text, written to `dir`.
inline void ExpectValidShellText(const std::string& text, const std::filesystem::path& dir)
{
    const std::filesystem::path script = dir / "check.sh";
    std::ofstream(script, std::ios::binary) << text;
    ExpectValidShell(script, dir);
}

} // namespace ondrix::app::testing
