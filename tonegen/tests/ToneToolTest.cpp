// ondrix-tone run as a process: options, messages, exit codes and the files it writes.
#include "testsupport/ProcessRunner.h"
#include "testsupport/TempFolder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace ondrix {
namespace {

namespace fs = std::filesystem;

using testsupport::ProcessResult;

class ToneTool : public ::testing::Test
{
  protected:
    // Runs ondrix-tone with these space-separated arguments.
    ProcessResult Tone(const std::string& args, const testsupport::Environment& changes = {}) const
    {
        std::vector<std::string> arguments;
        std::istringstream words(args);
        for (std::string word; words >> word;)
            arguments.push_back(word);
        return testsupport::RunProcess(ONDRIX_TONE_BIN, arguments,
                                       testsupport::InheritedEnvironment(changes));
    }

    std::string Wav(const std::string& name) const { return (dir / name).string(); }

    static std::string Read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    testsupport::TempFolder folder;
    fs::path dir = folder.Path();
};

TEST_F(ToneTool, HelpListsEveryOption)
{
    const ProcessResult run = Tone("--help");
    EXPECT_EQ(run.exitCode, 0);
    for (const char* option :
         {"--freq", "--note", "--duration", "--wave", "--bits", "--rate", "--stereo", "--am",
          "--no-multiplier", "--envelope", "--out", "--play", "--loop", "--help"})
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
}

TEST_F(ToneTool, BadOptionsAndValuesExitWithTwo)
{
    for (const char* args :
         {"--frequency 5 --out x.wav", "--freq abc --out x.wav", "--freq", "--wave saw --out x.wav",
          "--bits 12 --out x.wav", "--rate 48000 --out x.wav", "--am 9:50:sine:2 --out x.wav",
          "--am 1:50:sine --out x.wav", "--am 1:50:sine:nan --out x.wav", "--envelope 1,2,3 --out x.wav",
          "--note H --out x.wav", "--stereo=1 --out x.wav", "--loop=1", ""}) {
        const ProcessResult run = Tone(args);
        EXPECT_EQ(run.exitCode, 2) << args;
        EXPECT_EQ(run.err.rfind("ondrix-tone: ", 0), 0u) << args << ": " << run.err;
    }
    EXPECT_FALSE(fs::exists("x.wav"));
}

TEST_F(ToneTool, WritesTheDefaultTone)
{
    ASSERT_EQ(Tone("--out " + Wav("a.wav")).exitCode, 0);
    ASSERT_EQ(Tone("--note O4A --duration=100 --out=" + Wav("b.wav")).exitCode, 0);
    const std::string a = Read(Wav("a.wav"));
    EXPECT_EQ(a.size(), 19276u);
    EXPECT_EQ(a, Read(Wav("b.wav")));
}

TEST_F(ToneTool, NumbersAreClampedNotWrapped)
{
    // 70000 wrapped to 16 bits would be 4464 Hz.
    ASSERT_EQ(Tone("--freq 70000 --out " + Wav("clamped.wav")).exitCode, 0);
    ASSERT_EQ(Tone("--freq 20000 --out " + Wav("top.wav")).exitCode, 0);
    EXPECT_EQ(Read(Wav("clamped.wav")), Read(Wav("top.wav")));
    ASSERT_EQ(Tone("--am 1:300:square:2 --out " + Wav("am300.wav")).exitCode, 0);
    ASSERT_EQ(Tone("--am 1:100:square:2 --out " + Wav("am100.wav")).exitCode, 0);
    EXPECT_EQ(Read(Wav("am300.wav")), Read(Wav("am100.wav")));
    ASSERT_EQ(Tone("--duration 99999999999 --bits 8 --rate 44100 --out " + Wav("long.wav")).exitCode, 0);
    EXPECT_EQ(fs::file_size(Wav("long.wav")), 32767u * 441 / 10 + 76);
}

TEST_F(ToneTool, FormatOptionsReachTheFile)
{
    const ProcessResult run =
        Tone("--wave triangle --bits 8 --rate 44100 --stereo --duration 250 --am 2:30:noise:1.5 "
             "--envelope 5,5,10,60,20 --out " +
             Wav("t.wav"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    SF_INFO info{};
    SNDFILE* sf = sf_open(Wav("t.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(sf, nullptr);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
    EXPECT_EQ(info.frames, 250 * 441 / 10);
    sf_close(sf);
}

TEST_F(ToneTool, PlayWithoutASoundServerFailsAfterWritingTheFile)
{
    const ProcessResult run = Tone("--play --duration 20 --out " + Wav("p.wav"),
                                   {{"PULSE_SERVER", "unix:" + (dir / "none").string()}});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.err.rfind("ondrix-tone: no sound server reachable", 0), 0u) << run.err;
    EXPECT_EQ(fs::file_size(Wav("p.wav")), 2u * 20 * 96 + 76);
}

TEST_F(ToneTool, TinyAMFactorIsZeroNotTheLargest)
{
    // 1e-400 is below the smallest double: about 0, the same as 0 itself.
    ASSERT_EQ(Tone("--am 1:50:sine:1e-400 --out " + Wav("tiny.wav")).exitCode, 0);
    ASSERT_EQ(Tone("--am 1:50:sine:0 --out " + Wav("zero.wav")).exitCode, 0);
    ASSERT_EQ(Tone("--am 1:50:sine:-1e-400 --out " + Wav("minus.wav")).exitCode, 0);
    ASSERT_EQ(Tone("--am 1:50:sine:1e400 --out " + Wav("huge.wav")).exitCode, 0);
    EXPECT_EQ(Read(Wav("tiny.wav")), Read(Wav("zero.wav")));
    EXPECT_EQ(Read(Wav("minus.wav")), Read(Wav("zero.wav")));
    EXPECT_NE(Read(Wav("huge.wav")), Read(Wav("zero.wav")));
}

TEST_F(ToneTool, OutputNeverReplacesWhatIsNotAFile)
{
    // A FIFO is written like a stream and stays a FIFO.
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string copy = (dir / "copy.wav").string();
    // The tool's own exit code, once the reader has taken everything.
    const ProcessResult piped = testsupport::RunProcess(
        "/bin/sh", {"-c", "cat \"$1\" >\"$2\" & \"$0\" --out \"$1\"; code=$?; wait; exit $code",
                    ONDRIX_TONE_BIN, fifo.string(), copy});
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_TRUE(fs::is_fifo(fifo));
    ASSERT_EQ(Tone("--out " + Wav("plain.wav")).exitCode, 0);
    EXPECT_EQ(Read(copy), Read(Wav("plain.wav")));

    // Devices are written in place: /dev/null stays the device (the tests run as root).
    EXPECT_EQ(Tone("--out /dev/null").exitCode, 0);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    const ProcessResult full = Tone("--out /dev/full");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
    EXPECT_TRUE(fs::is_character_file("/dev/full"));

    // A read-only file is refused; a name of 255 bytes is written.
    const fs::path readOnly = dir / "ro.wav";
    std::ofstream(readOnly) << "keep";
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const ProcessResult refused = Tone("--out " + readOnly.string());
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("Permission denied"), std::string::npos) << refused.err;
    EXPECT_EQ(Read(readOnly), "keep");
    const std::string longName = (dir / (std::string(251, 'l') + ".wav")).string();
    EXPECT_EQ(Tone("--out " + longName).exitCode, 0);
    EXPECT_EQ(Read(longName), Read(Wav("plain.wav")));
}

TEST_F(ToneTool, FailedExportExitsWithOne)
{
    const ProcessResult run = Tone("--out " + (dir / "missing" / "t.wav").string());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
}

} // namespace
} // namespace ondrix
