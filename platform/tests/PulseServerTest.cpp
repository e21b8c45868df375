// The private sound server of the sound tests: why it cannot start is said
// plainly, and it leaves nothing behind (no process, no folder, no changed
// environment).
#include "testsupport/PulseServer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace ondrix::platform {
namespace {

using testsupport::PulseServer;

std::optional<std::string> Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

void Put(const char* name, const std::optional<std::string>& value)
{
    value ? setenv(name, value->c_str(), 1) : unsetenv(name);
}

// The reason a server started with this PATH and choice gives.
std::string WhyNot(const std::string& path, const std::optional<std::string>& choice)
{
    const std::optional<std::string> oldPath = Environment("PATH");
    const std::optional<std::string> oldChoice = Environment("ONDRIX_TEST_SOUND_SERVER");
    const std::optional<std::string> oldHome = Environment("HOME");
    Put("PATH", path);
    Put("ONDRIX_TEST_SOUND_SERVER", choice);
    std::string why;
    {
        PulseServer server;
        EXPECT_FALSE(server.Available());
        why = server.WhyUnavailable();
    }
    Put("PATH", oldPath);
    Put("ONDRIX_TEST_SOUND_SERVER", oldChoice);
    EXPECT_EQ(Environment("HOME"), oldHome);
    return why;
}

TEST(PulseServerTest, SaysWhyNoServerCanStart)
{
    const std::string empty = std::filesystem::temp_directory_path() / "ondrix-no-programs";
    EXPECT_EQ(WhyNot(empty, std::nullopt),
              "no sound server to start: install pulseaudio, or on a PipeWire desktop pipewire, "
              "pipewire-pulse, wireplumber and dbus-daemon (with pulseaudio-utils)");
    EXPECT_EQ(WhyNot(empty, "pipewire"), "ONDRIX_TEST_SOUND_SERVER=pipewire but not installed: pipewire, "
                                         "wireplumber, pipewire-pulse, dbus-daemon, pactl, pacat");
    EXPECT_EQ(WhyNot(empty, "pulseaudio"),
              "ONDRIX_TEST_SOUND_SERVER=pulseaudio but not installed: pulseaudio, pactl, pacat");
    EXPECT_EQ(WhyNot("/usr/bin:/bin", "jack"),
              "ONDRIX_TEST_SOUND_SERVER is 'jack'; it takes pulseaudio or pipewire");
}

TEST(PulseServerTest, LeavesNoProcessFolderOrEnvironmentBehind)
{
    const std::optional<std::string> home = Environment("HOME");
    const std::optional<std::string> bus = Environment("DBUS_SESSION_BUS_ADDRESS");
    const std::optional<std::string> pulse = Environment("PULSE_SERVER");
    pid_t process = -1;
    std::string folder;
    {
        PulseServer server;
        if (!server.Available()) GTEST_SKIP() << server.WhyUnavailable();
        process = server.ProtocolProcess();
        folder = server.Directory();
        ASSERT_GT(process, 0);
        EXPECT_EQ(Environment("PULSE_SERVER"), "unix:" + folder + "/run/pulse/native");
        EXPECT_EQ(server.SinkVolumePercent(), 100);
        ASSERT_TRUE(server.SetSinkVolumePercent(40));
        EXPECT_EQ(server.SinkVolumePercent(), 40);
    }
    EXPECT_EQ(kill(process, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_EQ(Environment("HOME"), home);
    EXPECT_EQ(Environment("DBUS_SESSION_BUS_ADDRESS"), bus);
    EXPECT_EQ(Environment("PULSE_SERVER"), pulse);
}

} // namespace
} // namespace ondrix::platform
