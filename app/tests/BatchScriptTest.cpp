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

// The script's last line: the program and what it is given.
std::string ProgramLine(const std::string& script)
{
    const auto start = script.rfind('\n', script.size() - 2);
    return script.substr(start + 1, script.size() - start - 2);
}

struct TQuestionRow
{
    const char* name;
    std::function<void(TBatchSetup&)> setUp;
    std::vector<TMsgResult> answers;
    std::vector<QString> questions;      // asked, in this order
    std::optional<std::string> switches; // stored after "$@"; nullopt: no script
};

TEST(BatchScriptTest, QuestionsFollowTheRunningOutputsAndEachAnswerStoresItsPart)
{
    const std::string point = QString(QLocale::system().decimalPoint()).toStdString();
    auto playing = [](TBatchSetup& s) {
        s.AudioPlaying = true;
        s.AudioFrequency = 1000;
        s.Amplitude = 80;
    };
    auto serial = [](TBatchSetup& s) {
        s.ComPortOpen = true;
        s.ComPortName = "/dev/ttyS0";
        s.DtrRunning = s.RtsRunning = true;
        s.DtrFrequency = 50;
        s.RtsFrequency = 12.5L;
    };
    const TQuestionRow rows[] = {
        {"nothing running, uncalibrated", [](TBatchSetup&) {}, {Yes}, {kBackup}, " /a='NAN' /b='NAN'"},
        {"a 1000 Hz sine at 80 %, RMS",
         playing,
         {Yes, Yes},
         {kAudio, kBackup},
         " /a='NAN' /b='NAN' /audiofreq='1000' /sine /amp='80' /rms"},
        {"the parallel port at the default address and mask, 500 Hz",
         [](TBatchSetup& s) {
             s.IoRunning = true;
             s.IoFrequency = 500;
         },
         {Yes, Yes},
         {kParallel, kBackup},
         " /a='NAN' /b='NAN' /io='$378' /iofreq='500' /iomask='255'"},
        {"No to the serial port skips both channels",
         serial,
         {No, Yes},
         {kSerial, kBackup},
         " /a='NAN' /b='NAN'"},
        {"an open port without a running channel",
         [](TBatchSetup& s) {
             s.ComPortOpen = true;
             s.ComPortName = "ttyUSB0";
         },
         {Yes, Yes},
         {kSerial, kBackup},
         " /a='NAN' /b='NAN' /com='ttyUSB0'"},
        {"every part, calibrated, continuous, No to the backup",
         [&](TBatchSetup& s) {
             playing(s);
             serial(s);
             s.Calibration = {-3.25, 0.5};
             s.Waveform = tonegen::tgTriangle;
             s.Voltmeter = TVoltmeterType::PeakToPeak;
             s.Continuous = true;
             s.IoRunning = true;
             s.IoAddress = 956;
             s.IoFrequency = 0;
             s.IoMask = 15;
         },
         {Yes, Yes, No, Yes, Yes, No},
         {kAudio, kSerial, kDtr, kRts, kParallel, kBackup},
         " /a='-3" + point + "25' /b='0" + point + "5' /audiofreq='1000' /triangle /amp='80' /pp /loop" +
             " /com='/dev/ttyS0' /rts='12" + point +
             "5' /io='$3BC' /iofreq='0' /iomask='15' /nobackupvoltage"},
        {"Cancel at the first question", playing, {Cancel}, {kAudio}, std::nullopt},
        {"Cancel at a channel", serial, {Yes, Yes, Cancel}, {kSerial, kDtr, kRts}, std::nullopt},
        {"Cancel at the last question", playing, {Yes, Cancel}, {kAudio, kBackup}, std::nullopt},
    };

    TTempFolder folder;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TBatchSetup setup;
        setup.Program = "/usr/bin/ondrix";
        setup.Directory = "/home/user";
        row.setUp(setup);
        std::deque<TMsgResult> answers(row.answers.begin(), row.answers.end());
        std::vector<QString> asked;
        const auto script = ComposeBatchScript(setup, [&](const QString& text) {
            asked.push_back(text);
            const TMsgResult answer = answers.empty() ? Cancel : answers.front();
            if (!answers.empty()) answers.pop_front();
            return answer;
        });
        EXPECT_EQ(asked, row.questions);
        ASSERT_EQ(script.has_value(), row.switches.has_value());
        if (!script) continue;
        EXPECT_EQ(ProgramLine(*script), "exec '/usr/bin/ondrix' \"$@\"" + *row.switches);
        EXPECT_TRUE(script->starts_with("#!/bin/sh\n"));
        EXPECT_EQ(script->find('\r'), std::string::npos);
        ExpectValidShellText(*script, folder.Path());
    }
}

TEST(BatchScriptTest, QuotedTextsStayOneLiteralWord)
{
    EXPECT_EQ(ShellQuoted(""), "''");
    EXPECT_EQ(ShellQuoted("it's"), "'it'\\''s'");
    EXPECT_EQ(ShellQuoted("''"), "''\\'''\\'''");
    EXPECT_EQ(ShellQuoted("a $(b) `c`\nd"), "'a $(b) `c`\nd'");
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

    void ExpectNoTemporaries() const
    {
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            EXPECT_FALSE(platform::wholefile::IsTemporaryName(entry.path().filename().string()))
                << entry.path();
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

TEST_F(BatchFileTest, NothingRunsButTheProgramWithTheScriptsArgumentsThenTheStoredSwitches)
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
    ExpectValidShell(script, folder.Path());

    TWorkingFolder in(start);
    TProcess run(script.string(), {"/amp=20", "two words", "it's $(touch pwned)"}, ScriptEnvironment(),
                 folder.Path());
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
}

TEST_F(BatchFileTest, AGoneFolderStopsTheScriptWithAMessage)
{
    programPath = MakeStandIn().string();
    Start();
    const auto work = folder.Path() / "gone";
    std::filesystem::create_directories(work);
    const auto script = folder.Path() / "set-up.sh";
    Save(work, script, {Yes});
    std::filesystem::remove(work);

    TProcess run(script.string(), {}, ScriptEnvironment(), folder.Path());
    EXPECT_EQ(run.Wait(std::chrono::seconds(30)), 1);
    EXPECT_NE(run.Errors().find("Cannot change to the folder of this set-up: " + work.string() + "\n"),
              std::string::npos)
        << run.Errors();
    EXPECT_EQ(run.Output(), "");
}

TEST_F(BatchFileTest, TheScriptReplacesAnOldFileWholeAndIsExecutableAsTheUmaskAllows)
{
    Start();
    const auto script = folder.Path() / "set-up.sh";
    std::ofstream(script) << "old";
    std::filesystem::permissions(script, std::filesystem::perms::owner_read);

    const mode_t previous = ::umask(027);
    Save(folder.Path(), script, {No});
    ::umask(previous);
    struct stat info
    {
    };
    ASSERT_EQ(::stat(script.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0750u);
    const auto text = platform::wholefile::Read(script, 1 << 16);
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->ends_with("exec '/usr/bin/ondrix' \"$@\" /a='NAN' /b='NAN' /nobackupvoltage\n"))
        << *text;
    ExpectNoTemporaries();
}

TEST_F(BatchFileTest, CancelWritesNothingAndAFailedWriteIsTheSystemsError)
{
    Start({"/sine"});
    const auto script = folder.Path() / "set-up.sh";

    dialogs->AnswerSave(std::nullopt);
    instrument->SaveToBatchFile();
    EXPECT_EQ(dialogs->Asked().size(), 1u); // no question after a cancelled dialog

    Save(folder.Path(), script, {Yes, Cancel});
    EXPECT_FALSE(std::filesystem::exists(script));
    ExpectNoTemporaries();

    EXPECT_EQ(ErrorOf([&] {
                  Save(folder.Path(), folder.Path() / "missing" / "set-up.sh", {No, Yes});
              }),
              "System Error.  Code: 2.\r\nNo such file or directory");
}

} // namespace
} // namespace ondrix::app::testing
