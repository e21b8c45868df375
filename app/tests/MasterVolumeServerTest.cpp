// The amplitude on a real sound server: a private PulseAudio (or PipeWire)
// server with a null sink, its volume read back with pactl. Skipped where
// neither can be started.
#include "ScriptedDialogs.h"
#include "app/model/Instrument.h"
#include "app/startup/Startup.h"
#include "platform/MasterVolume.h"
#include "testsupport/FakeSoundDevice.h"
#include "testsupport/ProcessRunner.h"
#include "testsupport/PulseServer.h"

#include <QtTest/QTest>
#include <cstdlib>
#include <gtest/gtest.h>

namespace ondrix::app::testing {
namespace {

using testsupport::PulseServer;

class MasterVolumeServerTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        if (!server.Available()) GTEST_SKIP() << "no sound server for this test: " << server.WhyUnavailable();
        ASSERT_TRUE(server.SetSinkVolumePercent(65));
    }

    // The program run as a user of that server would.
    std::optional<int> Ondrix(const std::vector<std::string>& args)
    {
        testsupport::Environment env;
        for (const char* name : {"PATH", "HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR",
                                 "PULSE_SERVER", "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
            if (const char* value = std::getenv(name)) env[name] = value;
        return testsupport::RunProcess(ONDRIX_BIN, args, env).exitCode;
    }

    PulseServer server;
};

TEST_F(MasterVolumeServerTest, TheAmplitudeIsTheServersVolume)
{
    auto dialogs = std::make_shared<TScriptedDialogs>();
    TOndrixServices services;
    services.SoundDevice =
        std::make_shared<testsupport::FakeSoundDevice>(testsupport::FakeSoundDevice::kFullVolume);
    services.MasterVolume = platform::PulseMasterVolume();
    services.Dialogs = dialogs;
    {
        TInstrument instrument(std::move(services));
        TStartup startup(instrument, {"/usr/bin/ondrix"});
        startup.FormCreate();
        EXPECT_EQ(instrument.Amplitude(), 65);
        EXPECT_EQ(server.SinkVolumePercent(), 65);

        instrument.StepAmplitude(TStep::Down);
        EXPECT_EQ(server.SinkVolumePercent(), 60);
        dialogs->Answer("2*20");
        instrument.EnterAmplitude();
        EXPECT_EQ(server.SinkVolumePercent(), 40);
    }
    // The shutdown puts the user's volume back.
    EXPECT_EQ(server.SinkVolumePercent(), 65);
}

TEST_F(MasterVolumeServerTest, TheProgramLeavesTheVolumeWhereItFoundIt)
{
    EXPECT_EQ(Ondrix({"/hide", "/amp=40", "/autoquit=300"}), 2);
    EXPECT_EQ(server.SinkVolumePercent(), 65);
}

TEST_F(MasterVolumeServerTest, WithNoBackupVoltageTheAmplitudeStays)
{
    EXPECT_EQ(Ondrix({"/hide", "/amp=40", "/nobackupvoltage", "/autoquit=300"}), 2);
    EXPECT_EQ(server.SinkVolumePercent(), 40);
    EXPECT_EQ(Ondrix({"/hide", "/amp=300", "/closevol=20", "/autoquit=0"}), 2);
    EXPECT_EQ(server.SinkVolumePercent(), 20);
}

} // namespace
} // namespace ondrix::app::testing
