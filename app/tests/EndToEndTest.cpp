// The real program run as a new user would: a private HOME and XDG folders,
// no display, no sound server, standard input closed.
#include "testsupport/ProcessRunner.h"
#include "testsupport/TempFolder.h"

#include <csignal>
#include <functional>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

namespace ondrix::app::testing {
namespace {

using namespace std::chrono_literals;
using testsupport::Process;
using testsupport::ProcessResult;
using testsupport::RunProcess;

class EndToEndTest : public ::testing::Test
{
  protected:
    testsupport::TempFolder folder;
    std::filesystem::path runtimeDir = folder.Path() / "run";
    std::filesystem::path atomTable = runtimeDir / "Merrow" / "Ondrix" / "AtomTable";
    testsupport::Environment env;

    void SetUp() override
    {
        for (const char* dir : {"home", "config", "state", "run", "atoms", "work"})
            std::filesystem::create_directory(folder.Path() / dir);
        std::filesystem::permissions(runtimeDir, std::filesystem::perms::owner_all);
        env = {
            {"PATH", std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin"},
            {"HOME", (folder.Path() / "home").string()},
            {"XDG_CONFIG_HOME", (folder.Path() / "config").string()},
            {"XDG_STATE_HOME", (folder.Path() / "state").string()},
            {"XDG_RUNTIME_DIR", runtimeDir.string()},
            {"ONDRIX_ATOM_DIR", (folder.Path() / "atoms").string()},
        };
        // The sanitizers' settings of the test run apply to the program too.
        for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"})
            if (const char* value = std::getenv(name)) env[name] = value;
    }

    std::optional<int> Ondrix(const std::vector<std::string>& args, std::string* output = nullptr)
    {
        const ProcessResult result = RunProcess(ONDRIX_BIN, args, env);
        if (output) *output = result.out;
        return result.exitCode;
    }

    std::pair<std::optional<int>, std::string> Atom(const std::string& command, const std::string& argument)
    {
        const ProcessResult result = RunProcess(ONDRIX_ATOM_BIN, {command, argument}, env);
        return {result.exitCode, result.out};
    }

    std::string AddAtom(const std::string& name)
    {
        const auto [code, output] = Atom("add", name);
        EXPECT_EQ(code, 0);
        return output.substr(0, output.find('\n'));
    }

    static bool Eventually(const std::function<bool()>& condition)
    {
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

    static std::string FileText(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST_F(EndToEndTest, UsageTextWithClosedInputExitsZero)
{
    std::string output;
    EXPECT_EQ(Ondrix({"/sine", "/?"}, &output), 0);
    EXPECT_EQ(output,
              "Usage: ondrix [\"/record=wavfile\"] [/sine] [/square] [/triangle] [/sawtooth] [/noise] "
              "[/autoquit=miliseconds] [/duration=millisecond] [/io=ioaddress] [/com=COMPort] [/rts=freq] "
              "[/dtr=freq] [/iomask=number] [/iofreq=freq] [/amp=percentage] [/audiofreq=freq] "
              "[/atom[=globalAtom#] [/hide] [/nobackupvoltage] [/rms] [/peak] [/pp] [/vout=rmsvoltage] "
              "[/closevol=percentage]\n"
              "\n"
              "NOTE /rts and /dtr switches needed with the /com switch\n"
              "/atom waits for a atom created by Win32 API GlobalAddAtom to be deleted before it "
              "automatically quits.\n"
              "If /atom doesn't include the = symbol just /atom all existing atoms used with Ondrix will be "
              "deleted.\n"
              "Press enter to close this console...");
    // The per-user settings folder was made on the way.
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "config" / "Merrow" / "Ondrix"));
}

TEST_F(EndToEndTest, UsageTextThatCannotBeWrittenExitsOne)
{
    const std::string program = ONDRIX_BIN;
    EXPECT_EQ(RunProcess("/bin/sh", {"-c", "exec \"$0\" /? >/dev/full", program}, env).exitCode, 1);
    EXPECT_EQ(RunProcess("/bin/sh", {"-c", "exec \"$0\" /? >&-", program}, env).exitCode, 1);
}

TEST_F(EndToEndTest, HeadlessStartUpErrorsEndWithOneAndNameTheirSwitch)
{
    const auto missingFolder = (folder.Path() / "no" / "such" / "t.wav").string();
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"/autoquit=1.5"}, "ondrix: /autoquit=1.5: '1.5' is not a valid integer value"},
        {{"/audiofreq=abc", "/autoquit=0"}, "ondrix: /audiofreq=abc: 'abc' is not a valid integer value"},
        {{"/record=x.wav", "/autoquit=0"}, "ondrix: /record=x.wav: WAV File failed"},
        {{"/sine", "/record=" + missingFolder, "/autoquit=0"},
         "ondrix: /record=" + missingFolder + ": WAV File failed: No such file or directory"},
        {{"/com=/dev/ondrix-none", "/autoquit=0"},
         "ondrix: /com=/dev/ondrix-none: System Error.  Code: 2.\r\nNo such file or directory"},
        {{"/vout=1", "/autoquit=0"}, "ondrix: /vout=1: Voltage out of range"},
    };
    for (const auto& [args, message] : cases) {
        Process ondrix(ONDRIX_BIN, args, env);
        EXPECT_EQ(ondrix.Wait(30s), 1) << args[0];
        EXPECT_NE(ondrix.Errors().find(message + "\n"), std::string::npos) << ondrix.Errors();
    }
    // An unparsable amplitude is reported, and start-up goes on.
    Process typo(ONDRIX_BIN, {"/amp=abc", "/autoquit=0"}, env);
    EXPECT_EQ(typo.Wait(30s), 2);
    EXPECT_NE(typo.Errors().find("ondrix: /amp=abc: 'abc' is not a valid integer value\n"), std::string::npos)
        << typo.Errors();
}

TEST_F(EndToEndTest, AutoQuitExitsTwo)
{
    EXPECT_EQ(Ondrix({"/hide", "/autoquit=0"}), 2);
    EXPECT_EQ(Ondrix({"/AUTOQUIT=50", "/iofreq=1000", "/dtr=1000"}), 2);
}

TEST_F(EndToEndTest, RecordWritesTheToneOfTheToneTool)
{
    const auto recorded = folder.Path() / "work" / "t.wav";
    const auto reference = folder.Path() / "work" / "x.wav";
    EXPECT_EQ(Ondrix({"/hide", "/sine", "/audiofreq=1000", "/record=" + recorded.string(), "/autoquit=200"}),
              2);
    ASSERT_EQ(
        RunProcess(ONDRIX_TONE_BIN, {"--freq", "1000", "--wave", "sine", "--out", reference.string()}, env)
            .exitCode,
        0);
    ASSERT_TRUE(std::filesystem::exists(recorded));
    EXPECT_EQ(FileText(recorded), FileText(reference));
    EXPECT_EQ(std::filesystem::file_size(recorded), 19276u);

    // Clamped as the tone tool clamps: 70000 Hz plays 20000 Hz, 40000 ms lasts 32767 ms.
    EXPECT_EQ(Ondrix({"/hide", "/square", "/audiofreq=70000", "/duration=40000",
                      "/record=" + recorded.string(), "/autoquit=0"}),
              2);
    ASSERT_EQ(RunProcess(
                  ONDRIX_TONE_BIN,
                  {"--freq", "20000", "--duration", "32767", "--wave", "square", "--out", reference.string()},
                  env)
                  .exitCode,
              0);
    EXPECT_EQ(FileText(recorded), FileText(reference));
}

TEST_F(EndToEndTest, DeletingTheAtomEndsTheProgramWithTwo)
{
    const std::string atom = AddAtom("stop ondrix");
    ASSERT_FALSE(atom.empty());
    Process ondrix(ONDRIX_BIN, {"/hide", "/atom=" + atom}, env);
    ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(atomTable / atom); })) << ondrix.Errors();
    EXPECT_EQ(FileText(atomTable / atom).substr(0, 11), "stop ondrix");
    EXPECT_FALSE(ondrix.Wait(0ms));

    EXPECT_EQ(Atom("delete", atom).first, 0);
    EXPECT_EQ(ondrix.Wait(30s), 2) << ondrix.Errors();
    EXPECT_FALSE(std::filesystem::exists(atomTable / atom));
}

TEST_F(EndToEndTest, AtomFlagDeletesTheBookedAtomsAndExitsZero)
{
    const std::string first = AddAtom("first");
    const std::string second = AddAtom("second");
    const std::string unbooked = AddAtom("unbooked");
    {
        // Two waiting copies that die without cleaning up leave their bookings.
        Process a(ONDRIX_BIN, {"/hide", "/atom=" + first}, env);
        Process b(ONDRIX_BIN, {"/hide", "/atom=" + second}, env);
        ASSERT_TRUE(Eventually([&] {
            return std::filesystem::exists(atomTable / first) && std::filesystem::exists(atomTable / second);
        }));
        a.Kill();
        b.Kill();
        EXPECT_EQ(a.Wait(30s), 128 + SIGKILL);
        EXPECT_EQ(b.Wait(30s), 128 + SIGKILL);
    }
    EXPECT_EQ(Ondrix({"/atom"}), 0);
    EXPECT_EQ(Atom("name", first).first, 1);
    EXPECT_EQ(Atom("name", second).first, 1);
    EXPECT_EQ(Atom("name", unbooked).first, 0);
    EXPECT_TRUE(std::filesystem::is_empty(atomTable));
}

TEST_F(EndToEndTest, TerminationSignalRunsTheShutdown)
{
    const std::string atom = AddAtom("running");
    for (int signal : {SIGTERM, SIGINT}) {
        Process ondrix(ONDRIX_BIN, {"/hide", "/atom=" + atom}, env);
        ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(atomTable / atom); })) << ondrix.Errors();
        ::kill(ondrix.Pid(), signal);
        EXPECT_EQ(ondrix.Wait(30s), 128 + signal) << ondrix.Errors();
        // The shutdown stopped the waiter, which took back its booking.
        EXPECT_FALSE(std::filesystem::exists(atomTable / atom));
    }
    EXPECT_EQ(Atom("name", atom).first, 0);
}

} // namespace
} // namespace ondrix::app::testing
