// "Save To Batch File": which questions are asked and what each answer
// stores, the file written whole or not at all, and saved scripts really run
// by sh with a stand-in program, from folders and with values that try to
// break out of their quotes.
#include "app/model/BatchScript.h"
#include "InstrumentFixture.h"
#include "ShellScripts.h"
#include "platform/WholeFile.h"

#include <QLocale>
#include <deque>
#include <fstream>
#include <sys/stat.h>

namespace ondrix::app::testing {
namespace {

using enum TMsgResult;

const QString kAudio = "Include Audio Channel?";
const QString kSerial = "Include Serial Port?";
const QString kDtr = "Include DTR Channel?";
const QString kRts = "Include RTS Channel?";
const QString kParallel = "Include Parallel Port?";
const QString kBackup = "Backup Audio Volume before changing it?";

struct TQuestionRow
{
    const char* name;
    TBatchSetup setup;
    std::vector<TMsgResult> answers;
    std::vector<QString> questions;      // asked, in this order
    std::optional<std::string> switches; // stored after "$@"; nullopt: no script
};

TEST(BatchScriptTest, QuestionsFollowTheRunningOutputsAndEachAnswerStoresItsPart)
{
    const std::string point = QString(QLocale::system().decimalPoint()).toStdString();
    // clang-format off
    const TBatchSetup playing{.AudioPlaying = true, .AudioFrequency = 1000, .Amplitude = 80};
    const TBatchSetup serial{.ComPortOpen = true, .ComPortName = "/dev/ttyS0", .DtrRunning = true,
                             .DtrFrequency = 50, .RtsRunning = true, .RtsFrequency = 12.5L};
    const TBatchSetup everything{.Calibration = {-3.25, 0.5}, .AudioPlaying = true, .AudioFrequency = 1000,
                                 .Waveform = tonegen::tgTriangle, .Amplitude = 80,
                                 .Voltmeter = TVoltmeterType::PeakToPeak, .Continuous = true, .ComPortOpen = true,
                                 .ComPortName = "/dev/ttyS0", .DtrRunning = true, .RtsRunning = true,
                                 .RtsFrequency = 12.5L, .IoRunning = true, .IoAddress = 956, .IoMask = 15};
    const std::string nan = " /a='NAN' /b='NAN'";
    const TQuestionRow rows[] = {
        {"nothing running, uncalibrated", {}, {Yes}, {kBackup}, nan},
        {"a 1000 Hz sine at 80 %, RMS", playing, {Yes, Yes}, {kAudio, kBackup},
         nan + " /audiofreq='1000' /sine /amp='80' /rms"},
        {"the parallel port at the default address and mask, 500 Hz", {.IoRunning = true, .IoFrequency = 500},
         {Yes, Yes}, {kParallel, kBackup}, nan + " /io='$378' /iofreq='500' /iomask='255'"},
        {"No to the serial port skips both channels", serial, {No, Yes}, {kSerial, kBackup}, nan},
        {"an open port without a running channel", {.ComPortOpen = true, .ComPortName = "ttyUSB0"},
         {Yes, Yes}, {kSerial, kBackup}, nan + " /com='ttyUSB0'"},
        {"every part, calibrated, continuous, No to the backup", everything, {Yes, Yes, No, Yes, Yes, No},
         {kAudio, kSerial, kDtr, kRts, kParallel, kBackup},
         " /a='-3" + point + "25' /b='0" + point + "5' /audiofreq='1000' /triangle /amp='80' /pp /loop" +
         " /com='/dev/ttyS0' /rts='12" + point + "5' /io='$3BC' /iofreq='0' /iomask='15' /nobackupvoltage"},
        {"Cancel at the first question", playing, {Cancel}, {kAudio}, std::nullopt},
        {"Cancel at a channel", serial, {Yes, Yes, Cancel}, {kSerial, kDtr, kRts}, std::nullopt},
        {"Cancel at the last question", playing, {Yes, Cancel}, {kAudio, kBackup}, std::nullopt},
    };
    // clang-format on

    testsupport::TempFolder folder;
    for (const auto& [name, setup, answerList, questions, switches] : rows) {
        SCOPED_TRACE(name);
        std::deque<TMsgResult> answers(answerList.begin(), answerList.end());
        std::vector<QString> asked;
        TBatchSetup saved = setup;
        saved.Program = "/usr/bin/ondrix";
        saved.Directory = "/home/user";
        const auto script = ComposeBatchScript(saved, [&](const QString& text) {
            asked.push_back(text);
            const TMsgResult answer = answers.empty() ? Cancel : answers.front();
            if (!answers.empty()) answers.pop_front();
            return answer;
        });
        EXPECT_EQ(asked, questions);
        ASSERT_EQ(script.has_value(), switches.has_value());
        if (!script) continue;
        EXPECT_TRUE(script->ends_with("\nexec '/usr/bin/ondrix' \"$@\"" + *switches + "\n")) << *script;
        EXPECT_TRUE(script->starts_with("#!/bin/sh\n"));
        EXPECT_EQ(script->find('\r'), std::string::npos);
        ExpectValidShellText(*script, folder.Path());
    }
}

// Runs in another folder while it lives.
class TWorkingFolder
{
  public:
    explicit TWorkingFolder(const std::filesystem::path& folder) : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~TWorkingFolder()
    {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }

  private:
    std::filesystem::path previous_;
};

class BatchFileTest : public InstrumentTest
{
  protected:
    // A stand-in for the program, in a folder whose name tries to run a
    // command: it writes its folder and arguments, each ended by a NUL, and
    // exits with 7.
    std::filesystem::path MakeStandIn()
    {
        const auto bin = folder.Path() / "bin 'x' $(touch pwned)";
        std::filesystem::create_directories(bin);
        const auto program = bin / "stand-in";
        std::ofstream(program) << "#!/bin/sh\nprintf '%s\\0' \"$(pwd -P)\" \"$@\"\nexit 7\n";
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
        return program;
    }

    // Saves the set-up from `workFolder` with these answers to the questions.
    void Save(const std::filesystem::path& workFolder, const std::filesystem::path& script,
              std::vector<TMsgResult> answers)
    {
        TWorkingFolder in(workFolder);
        dialogs->AnswerSave(QString::fromStdString(script.string()));
        for (TMsgResult answer : answers)
            dialogs->AnswerMessage(answer);
        instrument->SaveToBatchFile();
        EXPECT_TRUE(dialogs->ScriptUsedUp());
    }

    // Files whose name begins with "pwned", anywhere in the test's folder.
    std::vector<std::string> Intruders() const
    {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path()))
            if (entry.path().filename().string().starts_with("pwned")) found.push_back(entry.path().string());
        return found;
    }

    // The NUL-ended fields the stand-in wrote.
    static std::vector<std::string> Fields(const std::string& output)
    {
        std::vector<std::string> fields;
        for (std::size_t start = 0, end; (end = output.find('\0', start)) != std::string::npos;
             start = end + 1)
            fields.push_back(output.substr(start, end - start));
        return fields;
    }
};

TEST_F(BatchFileTest, NothingRunsButTheProgramInItsFolderWithTheScriptsArgumentsThenTheStoredSwitches)
{
    programPath = MakeStandIn().string();
    Start({"/com=x'; touch pwned; '`touch pwned`"});
    const auto work = folder.Path() / "work 'q' $(touch pwned) `touch pwned` ; touch pwned\n\"end\"";
    const auto start = folder.Path() / "start";
    std::filesystem::create_directories(work);
    std::filesystem::create_directories(start);
    const auto script = folder.Path() / "set-up.sh";
    Save(work, script, {Yes, No});
    EXPECT_EQ(dialogs->Asked()[0].Caption, "Save Batch File");
    EXPECT_EQ(dialogs->Asked()[0].Prompt, "Shell scripts|*.sh");
    EXPECT_EQ(dialogs->Asked()[1].Caption, "Ondrix");
    ExpectValidShell(script);

    TWorkingFolder in(start);
    testsupport::Process run(script.string(), {"/amp=20", "two words", "it's $(touch pwned)"},
                             ScriptEnvironment());
    EXPECT_EQ(run.Wait(std::chrono::seconds(30)), 7) << run.Errors();
    const std::vector<std::string> expected{std::filesystem::canonical(work).string(),
                                            "/amp=20",
                                            "two words",
                                            "it's $(touch pwned)",
                                            "/a=NAN",
                                            "/b=NAN",
                                            "/com=x'; touch pwned; '`touch pwned`",
                                            "/nobackupvoltage"};
    EXPECT_EQ(Fields(run.Output()), expected);
    EXPECT_EQ(Intruders(), std::vector<std::string>{});

    // Without its folder the script stops before the program.
    std::filesystem::remove(work);
    testsupport::Process gone(script.string(), {}, ScriptEnvironment());
    EXPECT_EQ(gone.Wait(std::chrono::seconds(30)), 1);
    EXPECT_TRUE(
        gone.Errors().ends_with("Cannot change to the folder of this set-up: " + work.string() + "\n"))
        << gone.Errors();
    EXPECT_EQ(gone.Output(), "");
}

TEST_F(BatchFileTest, TheScriptIsWrittenWholeAndExecutableAsTheUmaskAllowsOrNotAtAll)
{
    Start({"/sine"});
    const auto script = folder.Path() / "set-up.sh";
    dialogs->AnswerSave(std::nullopt);
    instrument->SaveToBatchFile();
    EXPECT_EQ(dialogs->Asked().size(), 1u); // no question after a cancelled dialog

    Save(folder.Path(), script, {Yes, Cancel});
    EXPECT_FALSE(std::filesystem::exists(script));
    EXPECT_EQ(ErrorOf([&] {
                  Save(folder.Path(), folder.Path() / "missing" / "set-up.sh", {No, Yes});
              }),
              "System Error.  Code: 2.\r\nNo such file or directory");

    // A new script is executable as far as the umask allows.
    const mode_t previous = ::umask(027);
    Save(folder.Path(), script, {No, No});
    ::umask(previous);
    struct stat info
    {
    };
    ASSERT_EQ(::stat(script.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0750u);
    const auto text = platform::wholefile::Read(script, 1 << 16);
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->ends_with(" \"$@\" /a='NAN' /b='NAN' /nobackupvoltage\n")) << *text;

    // A file the user may not write is refused, as cp would, and stays as it was.
    std::filesystem::permissions(script, std::filesystem::perms::owner_read);
    EXPECT_EQ(ErrorOf([&] { Save(folder.Path(), script, {No, Yes}); }),
              "System Error.  Code: 13.\r\nPermission denied");
    EXPECT_EQ(platform::wholefile::Read(script, 1 << 16), text);
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        EXPECT_FALSE(platform::wholefile::IsTemporaryName(entry.path().filename().string())) << entry.path();
}

} // namespace
} // namespace ondrix::app::testing
