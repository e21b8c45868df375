// The ondrix-atom command run as a shell script would run it.
#include "platform/GlobalAtoms.h"
#include "testsupport/ProcessRunner.h"
#include "testsupport/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace ondrix::platform {
namespace {

class AtomToolTest : public ::testing::Test
{
  protected:
    testsupport::ProcessResult Run(const std::vector<std::string>& arguments)
    {
        return testsupport::RunProcess(
            ONDRIX_ATOM_BIN, arguments,
            testsupport::InheritedEnvironment({{"ONDRIX_ATOM_DIR", tableDir.string()}}));
    }

    testsupport::TempFolder folder;
    std::filesystem::path tableDir = folder.Path() / "atoms";
};

TEST_F(AtomToolTest, AddNameDeleteLifeOfAToken)
{
    const testsupport::ProcessResult added = Run({"add", "my job"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(added.out, "49152\n");
    EXPECT_EQ(GlobalAtoms(tableDir).Name(49152), "my job"); // the program sees the tool's table

    const testsupport::ProcessResult named = Run({"name", "49152"});
    EXPECT_EQ(named.exitCode, 0);
    EXPECT_EQ(named.out, "my job\n");
    EXPECT_EQ(Run({"name", "$C000"}).out, "my job\n");

    EXPECT_EQ(Run({"add", "MY JOB"}).out, "49152\n"); // one more reference
    EXPECT_EQ(Run({"delete", "49152"}).exitCode, 0);
    EXPECT_EQ(Run({"name", "49152"}).exitCode, 0);
    const testsupport::ProcessResult deleted = Run({"delete", "49152"});
    EXPECT_EQ(deleted.exitCode, 0);
    EXPECT_EQ(deleted.out, "");

    const testsupport::ProcessResult gone = Run({"name", "49152"});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_EQ(gone.out, "");
    EXPECT_NE(gone.err.find("no token 49152"), std::string::npos) << gone.err;
    EXPECT_EQ(Run({"delete", "49152"}).exitCode, 1);
    EXPECT_EQ(Run({"delete", "100"}).exitCode, 1); // below the atom range: never a token
}

TEST_F(AtomToolTest, UsageErrorsExitWithTwoAndExplain)
{
    struct Case
    {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::vector<Case> cases{
        {{}, "no command given"},
        {{"add"}, "expected a command and one argument"},
        {{"add", "a", "b"}, "expected a command and one argument"},
        {{"remove", "49152"}, "unknown command \"remove\""},
        {{"name", "abc"}, "\"abc\" is not a token number"},
        {{"delete", "70000"}, "\"70000\" is not a token number"},
        {{"delete", "-5"}, "\"-5\" is not a token number"},
        {{"add", ""}, "1 to 255 bytes"},
        {{"add", std::string(256, 'n')}, "1 to 255 bytes"},
    };
    for (const Case& c : cases) {
        const testsupport::ProcessResult result = Run(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << c.message;
        EXPECT_EQ(result.out, "") << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("Usage: ondrix-atom add NAME"), std::string::npos) << result.err;
    }
    const testsupport::ProcessResult help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find(tableDir.string()), std::string::npos) << help.out;
}

TEST_F(AtomToolTest, UnusableTableIsReportedNotCrashed)
{
    // A plain file where the table's parent folder should be.
    std::ofstream(folder.Path() / "file") << "in the way";
    const testsupport::ProcessResult blocked =
        testsupport::RunProcess(ONDRIX_ATOM_BIN, {"add", "x"},
                                testsupport::InheritedEnvironment(
                                    {{"ONDRIX_ATOM_DIR", (folder.Path() / "file" / "atoms").string()}}));
    EXPECT_EQ(blocked.exitCode, 2);
    EXPECT_NE(blocked.err.find("cannot add \"x\""), std::string::npos) << blocked.err;
}

TEST_F(AtomToolTest, PlantedLockOrFullOutputIsReported)
{
    // Another user's FIFO in place of the lock must not hang every script.
    ASSERT_EQ(Run({"add", "first"}).exitCode, 0);
    std::filesystem::remove(tableDir / ".lock");
    ASSERT_EQ(::mkfifo((tableDir / ".lock").c_str(), 0666), 0);
    const testsupport::ProcessResult blocked = Run({"add", "second"});
    EXPECT_EQ(blocked.exitCode, 2);
    EXPECT_NE(blocked.err.find("not a regular file"), std::string::npos) << blocked.err;
    const testsupport::ProcessResult deleting = Run({"delete", "49152"});
    EXPECT_EQ(deleting.exitCode, 2);
    EXPECT_NE(deleting.err.find("cannot delete token 49152"), std::string::npos) << deleting.err;
    std::filesystem::remove(tableDir / ".lock");

    // An answer that cannot be written is an error, not a silent success.
    const testsupport::ProcessResult full =
        testsupport::RunProcess("/bin/sh", {"-c", "exec \"$0\" name 49152 >/dev/full", ONDRIX_ATOM_BIN},
                                testsupport::InheritedEnvironment({{"ONDRIX_ATOM_DIR", tableDir.string()}}));
    EXPECT_EQ(full.exitCode, 2) << full.err;
}

} // namespace
} // namespace ondrix::platform
