// ExportFile: the written file read back by libsndfile, and failures that must
// leave an existing file as it was.
#include "platform/SoundDevice.h"
#include "testsupport/TempFolder.h"
#include "tonegen/ToneGen.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace ondrix::tonegen {
namespace {

namespace fs = std::filesystem;

class Export : public ::testing::Test
{
  protected:
    static std::vector<char> ReadAll(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    testsupport::TempFolder folder;
    fs::path dir = folder.Path();
    TToneGen tone{platform::SilentSoundDevice()};
};

TEST_F(Export, SixteenBitMonoReadsBackSampleForSample)
{
    ASSERT_TRUE(tone.Prepare());
    const fs::path file = dir / "tone.wav";
    ASSERT_TRUE(tone.ExportFile(file.string()));
    EXPECT_EQ(fs::file_size(file), 19276u);

    SF_INFO info{};
    SNDFILE* sf = sf_open(file.c_str(), SFM_READ, &info);
    ASSERT_NE(sf, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(info.samplerate, 96000);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(info.frames, 9600);
    std::vector<short> samples(9600);
    EXPECT_EQ(sf_read_short(sf, samples.data(), 9600), 9600);
    sf_close(sf);
    std::vector<short> expected(9600);
    std::memcpy(expected.data(), tone.GetDataBuffer() + 44, 19200);
    EXPECT_EQ(samples, expected);
    EXPECT_EQ(samples[1], 944);

    const auto bytes = ReadAll(file);
    EXPECT_TRUE(std::all_of(bytes.end() - 32, bytes.end(), [](char b) { return b == 0; }));
}

TEST_F(Export, EightBitStereoReadsBack)
{
    tone.SetResolution(tg8Bit);
    tone.SetQuality(tgLoQ);
    tone.SetStereo(true);
    tone.SetWaveform(tgSquare);
    ASSERT_TRUE(tone.Prepare());
    const fs::path file = dir / "tone8.wav";
    ASSERT_TRUE(tone.ExportFile(file.string()));

    SF_INFO info{};
    SNDFILE* sf = sf_open(file.c_str(), SFM_READ, &info);
    ASSERT_NE(sf, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
    EXPECT_EQ(info.frames, 4410);
    std::vector<short> frames(2 * 4410);
    EXPECT_EQ(sf_readf_short(sf, frames.data(), 4410), 4410);
    sf_close(sf);
    // Byte 1 (the square's low half) is −127 × 256 after libsndfile's scaling.
    EXPECT_EQ(frames[0], -127 * 256);
    EXPECT_EQ(frames[1], -127 * 256);
    EXPECT_EQ(frames[2 * 60], 127 * 256); // H = 50 at 440 Hz and 44100 samples/s
}

TEST_F(Export, WritesTheLastGeneratedToneOnly)
{
    EXPECT_FALSE(tone.ExportFile((dir / "none.wav").string()));
    EXPECT_FALSE(fs::exists(dir / "none.wav"));

    ASSERT_TRUE(tone.Prepare());
    const std::vector<std::uint8_t> before(tone.GetDataBuffer(), tone.GetDataBuffer() + tone.WaveImageSize());
    tone.SetFrequency(1000);
    ASSERT_TRUE(tone.ExportFile((dir / "old.wav").string()));
    const auto written = ReadAll(dir / "old.wav");
    EXPECT_TRUE(std::equal(written.begin(), written.end(), before.begin(), before.end(),
                           [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));
}

TEST_F(Export, FailedWriteKeepsTheOldFileAndLeavesNoTemporary)
{
    const fs::path file = dir / "keep.wav";
    std::ofstream(file) << "keep";
    ASSERT_TRUE(tone.Prepare());

    // Files may not grow beyond 1000 bytes: the 19276-byte write fails part way.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool exported = static_cast<bool>(tone.ExportFile(file.string()));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(exported);
    const auto kept = ReadAll(file);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(Export, UnwritablePlacesFail)
{
    ASSERT_TRUE(tone.Prepare());
    EXPECT_FALSE(tone.ExportFile((dir / "missing" / "tone.wav").string()));
    EXPECT_FALSE(tone.ExportFile(dir.string())); // a folder is not replaced
    EXPECT_FALSE(tone.ExportFile(""));
    EXPECT_TRUE(fs::is_directory(dir));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 0);
}

TEST_F(Export, ReplacedFileKeepsItsPermissions)
{
    const fs::path file = dir / "mode.wav";
    std::ofstream(file) << "old";
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    ASSERT_TRUE(tone.Prepare());
    ASSERT_TRUE(tone.ExportFile(file.string()));
    struct stat st
    {
    };
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(fs::file_size(file), 19276u);
}

} // namespace
} // namespace ondrix::tonegen
