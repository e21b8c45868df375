#include "platform/GlobalAtoms.h"
#include "testsupport/ProcessRunner.h"
#include "testsupport/ScopedEnvironment.h"
#include "testsupport/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ondrix::platform {
namespace {

class GlobalAtomsTest : public ::testing::Test
{
  protected:
    testsupport::TempFolder folder;
    std::filesystem::path tableDir = folder.Path() / "atoms";
    GlobalAtoms atoms{tableDir};
};

TEST_F(GlobalAtomsTest, AddNameDeleteRoundTripInTheGlobalAtomRange)
{
    const std::uint16_t first = atoms.Add("ondrix job");
    const std::uint16_t second = atoms.Add("another job");
    EXPECT_EQ(first, 0xC000);
    EXPECT_EQ(second, 0xC001);
    EXPECT_EQ(atoms.Name(first), "ondrix job");
    EXPECT_EQ(atoms.Name(second), "another job");

    EXPECT_TRUE(atoms.Delete(first));
    EXPECT_EQ(atoms.Name(first), "");
    EXPECT_FALSE(atoms.Delete(first));
    EXPECT_EQ(atoms.Name(second), "another job");

    // A freed number is given out again, lowest first.
    EXPECT_EQ(atoms.Add("third"), first);
}

TEST_F(GlobalAtomsTest, AddingAnExistingNameCountsReferencesIgnoringLetterCase)
{
    const std::uint16_t atom = atoms.Add("Shared");
    EXPECT_EQ(atoms.Add("SHARED"), atom);
    EXPECT_EQ(atoms.Add("shared"), atom);
    EXPECT_EQ(atoms.Name(atom), "Shared"); // the spelling of the first add stays

    EXPECT_TRUE(atoms.Delete(atom));
    EXPECT_TRUE(atoms.Delete(atom));
    EXPECT_EQ(atoms.Name(atom), "Shared");
    EXPECT_TRUE(atoms.Delete(atom));
    EXPECT_EQ(atoms.Name(atom), "");
    EXPECT_FALSE(atoms.Delete(atom));
}

TEST_F(GlobalAtomsTest, RefusesBadNamesAndNumbersOutsideTheRange)
{
    EXPECT_EQ(atoms.Add(""), 0);
    EXPECT_EQ(atoms.Add(std::string(256, 'x')), 0);
    EXPECT_EQ(atoms.Add(std::string("nul\0inside", 10)), 0);
    const std::string longest(255, 'y');
    const std::uint16_t atom = atoms.Add(longest);
    ASSERT_NE(atom, 0);
    EXPECT_EQ(atoms.Name(atom), longest);
    // Names with path characters are only names: the file is named by number.
    const std::uint16_t pathLike = atoms.Add("../../etc/x");
    ASSERT_NE(pathLike, 0);
    EXPECT_EQ(atoms.Name(pathLike), "../../etc/x");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "etc"));

    EXPECT_EQ(atoms.Name(0), "");
    EXPECT_EQ(atoms.Name(0xBFFF), "");
    EXPECT_FALSE(atoms.Delete(0xBFFF));
    EXPECT_FALSE(atoms.Delete(0xFFFF));
}

TEST_F(GlobalAtomsTest, TableIsUsableByEveryUserAndSurvivesForeignFiles)
{
    const std::uint16_t atom = atoms.Add("x");
    ASSERT_NE(atom, 0);
    struct stat info
    {
    };
    ASSERT_EQ(::stat(tableDir.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 01777u); // sticky: users keep off each other's tokens

    // Garbage, a stale temporary of a dead writer and a symbolic link are not atoms.
    std::ofstream(tableDir / "49999") << "not a record";
    std::ofstream(tableDir / ".tmp-1-1-1") << "1\nhalf written";
    std::ofstream(tableDir / ".ondrix-abcd1234") << "1\nhalf written";
    std::filesystem::create_symlink(folder.Path() / "elsewhere", tableDir / "50000");
    std::ofstream(folder.Path() / "elsewhere") << "1\nlinked";
    EXPECT_EQ(atoms.Name(49999), "");
    EXPECT_EQ(atoms.Name(50000), "");
    EXPECT_EQ(atoms.Add("y"), atom + 1);
    EXPECT_FALSE(std::filesystem::exists(tableDir / ".tmp-1-1-1"));
    EXPECT_FALSE(std::filesystem::exists(tableDir / ".ondrix-abcd1234"));
    EXPECT_FALSE(atoms.Delete(50000));
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "elsewhere"));
}

TEST_F(GlobalAtomsTest, PlantedLockFilesAreRefusedWithoutWaiting)
{
    ASSERT_NE(atoms.Add("first"), 0);
    const auto lock = tableDir / ".lock";
    std::string why;

    // A FIFO would block an open for reading until someone writes.
    std::filesystem::remove(lock);
    ASSERT_EQ(::mkfifo(lock.c_str(), 0666), 0);
    EXPECT_EQ(atoms.Add("second", &why), 0);
    EXPECT_NE(why.find("not a regular file"), std::string::npos) << why;
    EXPECT_FALSE(atoms.Delete(0xC000, &why));

    // A link is never followed to some other file.
    std::filesystem::remove(lock);
    std::ofstream(folder.Path() / "elsewhere") << "";
    std::filesystem::create_symlink(folder.Path() / "elsewhere", lock);
    why.clear();
    EXPECT_EQ(atoms.Add("second", &why), 0);
    EXPECT_NE(why.find(".lock"), std::string::npos) << why;
    EXPECT_EQ(atoms.Name(0xC000), "first");
}

TEST_F(GlobalAtomsTest, LockHeldTooLongIsReportedNotWaitedFor)
{
    GlobalAtoms impatient(tableDir, std::chrono::milliseconds(200));
    ASSERT_NE(impatient.Add("first"), 0);
    const int holder = ::open((tableDir / ".lock").c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    std::string why;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(impatient.Add("second", &why), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_NE(why.find("stays locked by another process"), std::string::npos) << why;
    EXPECT_FALSE(impatient.Delete(0xC000, &why));
    ::close(holder);
    EXPECT_TRUE(impatient.Delete(0xC000));
}

TEST_F(GlobalAtomsTest, TableWithoutTheStickyBitGetsItFromItsOwner)
{
    std::filesystem::create_directory(tableDir);
    ASSERT_EQ(::chmod(tableDir.c_str(), 0777), 0);
    ASSERT_NE(atoms.Add("x"), 0);
    struct stat info
    {
    };
    ASSERT_EQ(::stat(tableDir.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 01777u);

    // A link in place of the table is not used.
    std::filesystem::create_directory_symlink(tableDir, folder.Path() / "link");
    std::string why;
    EXPECT_EQ(GlobalAtoms(folder.Path() / "link").Add("y", &why), 0);
    EXPECT_NE(why.find("not a folder"), std::string::npos) << why;
}

TEST_F(GlobalAtomsTest, DeleteIfNamedSparesANumberGivenToAnotherName)
{
    // A booking noted "old job" under this number; the number was freed and reused.
    const std::uint16_t atom = atoms.Add("old job");
    ASSERT_TRUE(atoms.Delete(atom));
    ASSERT_EQ(atoms.Add("new job"), atom);
    EXPECT_FALSE(atoms.DeleteIfNamed(atom, "old job"));
    EXPECT_EQ(atoms.Name(atom), "new job");
    EXPECT_TRUE(atoms.DeleteIfNamed(atom, "NEW JOB")); // names compare without letter case
    EXPECT_EQ(atoms.Name(atom), "");
}

TEST(GlobalAtomsDefaults, DirectoryIsOnSharedMemoryUnlessOverridden)
{
    {
        testsupport::ScopedEnvironment unset("ONDRIX_ATOM_DIR", std::nullopt);
        EXPECT_EQ(GlobalAtoms::DefaultDirectory(), "/dev/shm/ondrix-atoms");
    }
    {
        testsupport::ScopedEnvironment relative("ONDRIX_ATOM_DIR", "relative/dir");
        EXPECT_EQ(GlobalAtoms::DefaultDirectory(), "/dev/shm/ondrix-atoms");
    }
    testsupport::ScopedEnvironment set("ONDRIX_ATOM_DIR", "/tmp/somewhere");
    EXPECT_EQ(GlobalAtoms::DefaultDirectory(), "/tmp/somewhere");
}

TEST_F(GlobalAtomsTest, ProcessesAddingAtOnceNeverShareANumber)
{
    // Separate processes of the command-line tool race for numbers and references.
    constexpr int kProcesses = 12;
    const testsupport::Environment environment =
        testsupport::InheritedEnvironment({{"ONDRIX_ATOM_DIR", tableDir.string()}});
    std::vector<std::unique_ptr<testsupport::Process>> children;
    for (int i = 0; i < kProcesses; ++i) {
        const std::string name = i % 2 == 0 ? "distinct " + std::to_string(i) : "common";
        children.push_back(std::make_unique<testsupport::Process>(
            ONDRIX_ATOM_BIN, std::vector<std::string>{"add", name}, environment));
    }
    std::set<std::string> distinctNumbers;
    std::set<std::string> commonNumbers;
    for (int i = 0; i < kProcesses; ++i) {
        ASSERT_EQ(children[i]->Wait(), 0) << children[i]->Errors();
        (i % 2 == 0 ? distinctNumbers : commonNumbers).insert(children[i]->Output());
    }
    EXPECT_EQ(distinctNumbers.size(), kProcesses / 2u);
    ASSERT_EQ(commonNumbers.size(), 1u);
    EXPECT_FALSE(distinctNumbers.contains(*commonNumbers.begin()));

    const auto common = static_cast<std::uint16_t>(std::stoi(*commonNumbers.begin()));
    for (int i = 0; i < kProcesses / 2; ++i)
        EXPECT_TRUE(atoms.Delete(common)) << "reference " << i;
    EXPECT_FALSE(atoms.Delete(common));
}

} // namespace
} // namespace ondrix::platform
