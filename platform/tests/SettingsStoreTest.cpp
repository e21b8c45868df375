#include "platform/SettingsStore.h"

#include "PortsTestSupport.h"

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
    test::TemporaryFolder folder;
    test::ScopedEnvironment home("HOME", folder.Path().string());
    {
        test::ScopedEnvironment config("XDG_CONFIG_HOME", (folder.Path() / "cfg").string());
        EXPECT_EQ(SettingsDirectory(), folder.Path() / "cfg" / "Merrow" / "Ondrix");
        ASSERT_TRUE(EnsureSettingsDirectory());
        EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "cfg" / "Merrow" / "Ondrix"));
        EXPECT_EQ(ModeOf(folder.Path() / "cfg" / "Merrow"), 0700u);
        EXPECT_TRUE(EnsureSettingsDirectory()); // existing is fine
    }
    {
        test::ScopedEnvironment config("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(SettingsDirectory(), folder.Path() / ".config" / "Merrow" / "Ondrix");
    }
    test::ScopedEnvironment relative("XDG_CONFIG_HOME", "not/absolute");
    EXPECT_EQ(SettingsDirectory(), folder.Path() / ".config" / "Merrow" / "Ondrix");

    // A file where a folder must be is a failure, not a crash.
    std::ofstream(folder.Path() / ".config") << "in the way";
    EXPECT_FALSE(EnsureSettingsDirectory());
}

TEST(VolatileValuesLocation, RuntimeFolderOrPerUserSharedMemory)
{
    {
        test::ScopedEnvironment runtime("XDG_RUNTIME_DIR", "/run/user/1234");
        EXPECT_EQ(VolatileValues::DefaultAtomTableDirectory(), "/run/user/1234/Merrow/Ondrix/AtomTable");
    }
    const std::filesystem::path perUser =
        "/dev/shm/ondrix-" + std::to_string(::getuid()) + "/Merrow/Ondrix/AtomTable";
    {
        test::ScopedEnvironment runtime("XDG_RUNTIME_DIR", std::nullopt);
        EXPECT_EQ(VolatileValues::DefaultAtomTableDirectory(), perUser);
    }
    test::ScopedEnvironment relative("XDG_RUNTIME_DIR", "relative");
    EXPECT_EQ(VolatileValues::DefaultAtomTableDirectory(), perUser);
}

class VolatileValuesTest : public ::testing::Test
{
  protected:
    test::TemporaryFolder folder;
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

} // namespace
} // namespace ondrix::platform
