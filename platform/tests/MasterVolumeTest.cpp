#include "platform/MasterVolume.h"
#include "testsupport/PulseServer.h"
#include "testsupport/ScopedEnvironment.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

using ondrix::platform::PulseMasterVolume;
using ondrix::testsupport::PulseServer;
using ondrix::testsupport::ScopedEnvironment;

namespace {

std::string SinkVolumeText(const PulseServer& server)
{
    std::string output;
    server.Pactl({"get-sink-volume", PulseServer::SinkName()}, &output);
    return output;
}

} // namespace

TEST(PulseMasterVolume, WithoutAServerReadingAndSettingFail)
{
    // libpulse pointed at a socket where no server listens.
    const ScopedEnvironment noServer("PULSE_SERVER", "unix:/nonexistent/ondrix-no-server");
    auto volume = PulseMasterVolume();
    EXPECT_EQ(volume->GetPercent(), std::nullopt);
    EXPECT_FALSE(volume->SetPercent(40));
}

class PulseMasterVolumeOnServer : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        if (!server_.Available())
            GTEST_SKIP() << "no sound server for this test: " << server_.WhyUnavailable();
    }

    PulseServer server_;
};

TEST_F(PulseMasterVolumeOnServer, SetsAndReadsTheDefaultSinksVolume)
{
    auto volume = PulseMasterVolume();
    ASSERT_TRUE(server_.SetSinkVolumePercent(65));
    EXPECT_EQ(volume->GetPercent(), 65u);

    ASSERT_TRUE(volume->SetPercent(40));
    EXPECT_EQ(server_.SinkVolumePercent(), 40);
    ASSERT_TRUE(volume->SetPercent(0));
    EXPECT_EQ(server_.SinkVolumePercent(), 0);
    EXPECT_EQ(volume->GetPercent(), 0u);

    // A boosted output reads above 100.
    ASSERT_TRUE(server_.SetSinkVolumePercent(130));
    EXPECT_EQ(volume->GetPercent(), 130u);
}

TEST_F(PulseMasterVolumeOnServer, QuickChangesArriveInTheOrderMade)
{
    auto volume = PulseMasterVolume();
    for (unsigned percent = 5; percent <= 95; percent += 5)
        ASSERT_TRUE(volume->SetPercent(percent));
    for (unsigned percent : {90u, 55u, 20u})
        ASSERT_TRUE(volume->SetPercent(percent));
    EXPECT_EQ(server_.SinkVolumePercent(), 20);
}

TEST_F(PulseMasterVolumeOnServer, ReadsTheLoudestChannelRoundedHalfToEven)
{
    auto volume = PulseMasterVolume();
    // Raw levels: 65536 is 100 %, so 8192 is exactly 12.5 % and 24576 37.5 %.
    ASSERT_TRUE(server_.Pactl({"set-sink-volume", PulseServer::SinkName(), "8192"}));
    EXPECT_EQ(volume->GetPercent(), 12u);
    ASSERT_TRUE(server_.Pactl({"set-sink-volume", PulseServer::SinkName(), "24576"}));
    EXPECT_EQ(volume->GetPercent(), 38u);
    ASSERT_TRUE(server_.Pactl({"set-sink-volume", PulseServer::SinkName(), "70%", "50%"}));
    EXPECT_EQ(volume->GetPercent(), 70u);
}

TEST_F(PulseMasterVolumeOnServer, SettingKeepsTheBalanceBetweenChannels)
{
    auto volume = PulseMasterVolume();
    ASSERT_TRUE(server_.Pactl({"set-sink-volume", PulseServer::SinkName(), "80%", "40%"}));
    ASSERT_TRUE(volume->SetPercent(60));
    const std::string text = SinkVolumeText(server_);
    EXPECT_NE(text.find(" 60%"), std::string::npos) << text;
    EXPECT_NE(text.find(" 30%"), std::string::npos) << text;
}
