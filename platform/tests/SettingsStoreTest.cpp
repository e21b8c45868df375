#include "platform/SettingsStore.h"
#include "testsupport/ScopedEnvironment.h"
#include "testsupport/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace ondrix::platform {
namespace {

mode_t ModeOf(const std::filesystem::path& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(SettingsDirectory, FollowsXdgConfigHomeThenHome)
{
    testsupport::TempFolder folder;
    testsupport::ScopedEnvironment home("HOME", folder.Path().string());
    {
        testsupport::ScopedEnvironment config("XDG_CONFIG_HOME", (folder.Path() / "cfg").string());
        EXPECT_FALSE(EnsureSettingsDirectory()); // the configuration folder must exist
        EXPECT_FALSE(std::filesystem::exists(folder.Path() / "cfg"));
        std::filesystem::create_directory(folder.Path() / "cfg");
        EXPECT_EQ(SettingsDirectory(), folder.Path() / "cfg" / "Merrow" / "Ondrix");
        ASSERT_TRUE(EnsureSettingsDirectory());
        EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "cfg" / "Merrow" / "Ondrix"));
        EXPECT_EQ(ModeOf(folder.Path() / "cfg" / "Merrow"), 0700u);
        EXPECT_TRUE(EnsureSettingsDirectory()); // existing is fine
    }
    {
        testsupport::ScopedEnvironment config("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(SettingsDirectory(), folder.Path() / ".config" / "Merrow" / "Ondrix");
    }
    testsupport::ScopedEnvironment relative("XDG_CONFIG_HOME", "not/absolute");
    EXPECT_EQ(SettingsDirectory(), folder.Path() / ".config" / "Merrow" / "Ondrix");

    // ~/.config is made in an existing home, but no home is made.
    {
        testsupport::ScopedEnvironment config("XDG_CONFIG_HOME", std::nullopt);
        ASSERT_TRUE(EnsureSettingsDirectory());
        EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / ".config" / "Merrow" / "Ondrix"));
        testsupport::ScopedEnvironment missingHome("HOME", (folder.Path() / "nonexistent" / "home").string());
        EXPECT_FALSE(EnsureSettingsDirectory());
        EXPECT_FALSE(std::filesystem::exists(folder.Path() / "nonexistent"));
        std::filesystem::remove_all(folder.Path() / ".config");
    }

    // A file where a folder must be is a failure, not a crash.
    std::ofstream(folder.Path() / ".config") << "in the way";
    EXPECT_FALSE(EnsureSettingsDirectory());
}

TEST(VolatileValuesLocation, RuntimeFolderOrPerUserSharedMemory)
{
    {
        testsupport::ScopedEnvironment runtime("XDG_RUNTIME_DIR", "/run/user/1234");
        EXPECT_EQ(VolatileValues::DefaultAtomTableDirectory(), "/run/user/1234/Merrow/Ondrix/AtomTable");
    }
    const std::filesystem::path perUser =
        "/dev/shm/ondrix-" + std::to_string(::getuid()) + "/Merrow/Ondrix/AtomTable";
    {
        testsupport::ScopedEnvironment runtime("XDG_RUNTIME_DIR", std::nullopt);
        EXPECT_EQ(VolatileValues::DefaultAtomTableDirectory(), perUser);
    }
    testsupport::ScopedEnvironment relative("XDG_RUNTIME_DIR", "relative");
    EXPECT_EQ(VolatileValues::DefaultAtomTableDirectory(), perUser);
}

class VolatileValuesTest : public ::testing::Test
{
  protected:
    testsupport::TempFolder folder;
    std::filesystem::path dir = folder.Path() / "run" / "Merrow" / "Ondrix" / "AtomTable";
    VolatileValues values{dir};
};

TEST_F(VolatileValuesTest, SetReplaceDeleteAndFirstInNumericOrder)
{
    EXPECT_EQ(values.First(), std::nullopt); // folder not even made yet
    ASSERT_TRUE(values.Set("50000", "second"));
    ASSERT_TRUE(values.Set("9", "smallest number"));
    ASSERT_TRUE(values.Set("abc", "not a number"));
    ASSERT_TRUE(values.Set("49152", "first"));
    EXPECT_EQ(ModeOf(dir), 0700u);
    EXPECT_EQ(ModeOf(folder.Path() / "run" / "Merrow"), 0700u);
    EXPECT_EQ(ModeOf(dir / "49152"), 0600u);

    using Value = std::pair<std::string, std::string>;
    EXPECT_EQ(values.First(), Value("9", "smallest number"));
    ASSERT_TRUE(values.Set("9", std::string("bytes\0kept", 10)));
    EXPECT_EQ(values.First()->second, std::string("bytes\0kept", 10));
    EXPECT_TRUE(values.Delete("9"));
    EXPECT_FALSE(values.Delete("9"));
    EXPECT_EQ(values.First()->first, "49152");
    EXPECT_TRUE(values.Delete("49152"));
    EXPECT_EQ(values.First()->first, "50000");
    EXPECT_TRUE(values.Delete("50000"));
    EXPECT_EQ(values.First()->first, "abc");
    EXPECT_TRUE(values.Delete("abc"));
    EXPECT_EQ(values.First(), std::nullopt);
}

TEST_F(VolatileValuesTest, NamesThatCouldLeaveTheFolderAreRefused)
{
    std::ofstream(folder.Path() / "victim") << "keep";
    for (const std::string& name : {std::string(""), std::string(".."), std::string("../victim"),
                                    std::string("a/b"), std::string("/etc/passwd"), std::string(".hidden"),
                                    std::string("nul\0", 4), std::string(256, '1')}) {
        EXPECT_FALSE(values.Set(name, "x")) << name;
        EXPECT_FALSE(values.Delete(name)) << name;
    }
    std::ifstream victim(folder.Path() / "victim");
    std::string content;
    victim >> content;
    EXPECT_EQ(content, "keep");
    EXPECT_TRUE(values.Set(std::string(255, '1'), "longest name"));
}

TEST_F(VolatileValuesTest, SkipsTemporariesAndForeignEntries)
{
    ASSERT_TRUE(values.Set("60000", "real"));
    std::ofstream(dir / ".tmp-1-2-3") << "a writer died here";
    std::filesystem::create_directory(dir / "100");
    EXPECT_EQ(values.First()->first, "60000");
}

TEST_F(VolatileValuesTest, RefusesAFolderOthersCanChange)
{
    std::filesystem::create_directories(dir);
    std::filesystem::permissions(dir.parent_path(), std::filesystem::perms::all);
    EXPECT_FALSE(values.Set("49152", "x"));
    EXPECT_EQ(values.First(), std::nullopt);

    std::filesystem::permissions(dir.parent_path(), std::filesystem::perms::owner_all);
    EXPECT_TRUE(values.Set("49152", "x"));
    if (::getuid() == 0) {
        // Root can play another user who made the folder first.
        ASSERT_EQ(::chown(dir.parent_path().c_str(), 12345, 12345), 0);
        EXPECT_FALSE(values.Set("49153", "x"));
        EXPECT_EQ(values.First(), std::nullopt);
    }
}

// With XDG_RUNTIME_DIR unset the table lives in /dev/shm/ondrix-<uid>, in a
// folder every user can write: what another user may have planted there under
// our name is refused with a reason. The shared folder is played by a sticky
// folder of our own.
class PlantedRuntimeFolder : public ::testing::Test
{
  protected:
    void SetUp() override { std::filesystem::permissions(shared, std::filesystem::perms(01777)); }

    std::string SetAndExplain()
    {
        VolatileValues values(planted / "Merrow" / "Ondrix" / "AtomTable");
        std::string why;
        EXPECT_FALSE(values.Set("49152", "booked", &why));
        EXPECT_EQ(values.First(), std::nullopt);
        EXPECT_FALSE(values.Delete("49152"));
        EXPECT_TRUE(values.FolderProblem()); // "nothing booked" must not pass for success
        return why;
    }

    testsupport::TempFolder folder;
    std::filesystem::path shared = folder.Path();
    std::filesystem::path planted = shared / ("ondrix-" + std::to_string(::getuid()));
};

TEST_F(PlantedRuntimeFolder, SymbolicLinkIsNeverFollowed)
{
    const auto target = folder.Path() / "target";
    std::filesystem::create_directory(target);
    ASSERT_EQ(::chmod(target.c_str(), 0700), 0);
    std::filesystem::create_directory_symlink(target, planted);
    const std::string why = SetAndExplain();
    EXPECT_NE(why.find("symbolic link"), std::string::npos) << why;
    EXPECT_TRUE(std::filesystem::is_empty(target)); // nothing made behind the link
}

TEST_F(PlantedRuntimeFolder, FolderOpenToOthersIsRefused)
{
    std::filesystem::create_directory(planted);
    std::filesystem::permissions(planted, std::filesystem::perms::all);
    const std::string why = SetAndExplain();
    EXPECT_NE(why.find("other users may change it (mode 0777)"), std::string::npos) << why;
    EXPECT_TRUE(std::filesystem::is_empty(planted));
}

TEST_F(PlantedRuntimeFolder, FolderOfAnotherUserIsRefused)
{
    if (::getuid() != 0) GTEST_SKIP() << "only root can give a folder to another user";
    std::filesystem::create_directory(planted);
    ASSERT_EQ(::chmod(planted.c_str(), 0700), 0);
    ASSERT_EQ(::chown(planted.c_str(), 12345, 12345), 0);
    const std::string why = SetAndExplain();
    EXPECT_NE(why.find("belongs to another user"), std::string::npos) << why;
    EXPECT_TRUE(std::filesystem::is_empty(planted));

    // A link of another user's, even in a private folder, is not followed either.
    const auto privateFolder = folder.Path() / "private";
    std::filesystem::create_directory(privateFolder);
    ASSERT_EQ(::chmod(privateFolder.c_str(), 0700), 0);
    const auto link = privateFolder / "run";
    std::filesystem::create_directory_symlink(planted.parent_path(), link);
    ASSERT_EQ(::lchown(link.c_str(), 12345, 12345), 0);
    std::string why2;
    EXPECT_FALSE(VolatileValues(link / "own" / "AtomTable").Set("1", "x", &why2));
    EXPECT_NE(why2.find("symbolic link"), std::string::npos) << why2;
}

TEST_F(PlantedRuntimeFolder, OwnFolderMadeFreshIsUsed)
{
    VolatileValues values(planted / "Merrow" / "Ondrix" / "AtomTable");
    EXPECT_EQ(values.FolderProblem(), std::nullopt); // not made yet is no problem
    std::string why;
    EXPECT_TRUE(values.Set("49152", "booked", &why)) << why;
    EXPECT_EQ(values.FolderProblem(), std::nullopt);
    EXPECT_EQ(ModeOf(planted), 0700u);
}

} // namespace
} // namespace ondrix::platform
