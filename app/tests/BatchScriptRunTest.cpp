// A saved set-up started by the real program: the script's own switch wins
// over the stored one, and the program's exit code is the script's. The
// amplitude is read back where a private PulseAudio server can be started.
#include "InstrumentFixture.h"
#include "ShellScripts.h"
#include "testsupport/PulseServer.h"

#include <cstdlib>

namespace ondrix::app::testing {
namespace {

using BatchScriptRunTest = InstrumentTest;

TEST_F(BatchScriptRunTest, TheProgramStartsWithTheStoredSwitchesAndTheScriptsOverride)
{
    testsupport::PulseServer server;
    if (server.Available()) {
        ASSERT_TRUE(server.SetSinkVolumePercent(65));
    }

    programPath = ONDRIX_BIN;
    withMasterVolume = true;
    Start({"/sine", "/audiofreq=1000", "/amp=80"});
    const auto script = folder.Path() / "set-up.sh";
    dialogs->AnswerSave(QString::fromStdString(script.string()));
    dialogs->AnswerMessage(TMsgResult::Yes); // the audio part, with /amp=80
    dialogs->AnswerMessage(TMsgResult::No);  // no backup: the amplitude stays after the run
    instrument->SaveToBatchFile();
    ExpectValidShell(script);

    // Private folders, or the sound server's where it runs.
    testsupport::Environment env = ScriptEnvironment();
    for (const char* name :
         {"HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR", "ONDRIX_ATOM_DIR"}) {
        const auto dir = folder.Path() / "run" / name;
        std::filesystem::create_directories(dir);
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
        env[name] = dir.string();
    }
    std::vector<const char*> inherited = {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"};
    if (server.Available())
        inherited.insert(inherited.end(),
                         {"HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR", "PULSE_SERVER"});
    for (const char* name : inherited)
        if (const char* value = std::getenv(name)) env[name] = value;

    const testsupport::ProcessResult run =
        testsupport::RunProcess(script.string(), {"/hide", "/autoquit=300", "/amp=20"}, env);
    EXPECT_EQ(run.exitCode, 2) << run.out;
    if (server.Available()) {
        EXPECT_EQ(server.SinkVolumePercent(), 20);
    }
}

} // namespace
} // namespace ondrix::app::testing
