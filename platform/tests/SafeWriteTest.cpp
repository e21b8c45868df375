// The safe write on every kind of path a user may name: files, links, devices,
// FIFOs, sockets, read-only files and the longest names.
#include "platform/SafeWrite.h"
#include "testsupport/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace ondrix::platform {
namespace {

namespace fs = std::filesystem;

class SafeWrite : public ::testing::Test
{
  protected:
    static std::string Read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void Write(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }
    std::size_t Entries() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    testsupport::TempFolder folder;
    fs::path dir = folder.Path();
};

TEST(WriteMethod, FollowsWhatThePathNames)
{
    EXPECT_EQ(ChooseWriteMethod(false, 0), WriteMethod::Replace);
    EXPECT_EQ(ChooseWriteMethod(true, S_IFREG | 0644), WriteMethod::Replace);
    EXPECT_EQ(ChooseWriteMethod(true, S_IFCHR | 0666), WriteMethod::InPlace);
    EXPECT_EQ(ChooseWriteMethod(true, S_IFIFO | 0600), WriteMethod::InPlace);
    EXPECT_EQ(ChooseWriteMethod(true, S_IFDIR | 0755), WriteMethod::Refuse);
    EXPECT_EQ(ChooseWriteMethod(true, S_IFSOCK | 0777), WriteMethod::Refuse);
    EXPECT_EQ(ChooseWriteMethod(true, S_IFBLK | 0660), WriteMethod::Refuse);
}

TEST_F(SafeWrite, NewAndReplacedFilesAreWholeAndKeepTheirMode)
{
    const fs::path file = dir / "a.wav";
    ASSERT_TRUE(WriteFileSafely(file, "first"));
    EXPECT_EQ(Read(file), "first");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileSafely(file, "second"));
    EXPECT_EQ(Read(file), "second");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));
    EXPECT_EQ(Entries(), 1u); // no temporary left
}

TEST_F(SafeWrite, ReadOnlyFileIsRefusedEvenForRoot)
{
    const fs::path file = dir / "keep.wav";
    Write(file, "keep");
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    const WriteOutcome outcome = WriteFileSafely(file, "new");
    EXPECT_FALSE(outcome);
    EXPECT_EQ(outcome.error, EACCES);
    EXPECT_EQ(outcome.reason, "Permission denied");
    EXPECT_EQ(Read(file), "keep");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(SafeWrite, LinksAreFollowedAndTheirTargetReplaced)
{
    fs::create_directory(dir / "real");
    Write(dir / "real" / "target.wav", "old");
    fs::create_symlink("real/target.wav", dir / "link.wav");
    ASSERT_TRUE(WriteFileSafely(dir / "link.wav", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.wav"));
    EXPECT_EQ(Read(dir / "real" / "target.wav"), "new");

    // A dangling link makes its target, as any program writing through it would.
    fs::create_symlink(dir / "real" / "made.wav", dir / "dangling.wav");
    ASSERT_TRUE(WriteFileSafely(dir / "dangling.wav", "made"));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.wav"));
    EXPECT_EQ(Read(dir / "real" / "made.wav"), "made");

    // A link to a read-only file is refused like the file.
    ::chmod((dir / "real" / "target.wav").c_str(), 0444);
    EXPECT_EQ(WriteFileSafely(dir / "link.wav", "x").error, EACCES);
    EXPECT_EQ(Read(dir / "real" / "target.wav"), "new");
}

TEST_F(SafeWrite, LongestNamesWork)
{
    const fs::path file = dir / std::string(255, 'n');
    ASSERT_TRUE(WriteFileSafely(file, "long"));
    ASSERT_TRUE(WriteFileSafely(file, "longer"));
    EXPECT_EQ(Read(file), "longer");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(SafeWrite, FifoIsWrittenLikeAStream)
{
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string bytes(200000, 'w'); // more than a pipe holds at once
    std::string received;
    std::thread reader([&] { received = Read(fifo); });
    EXPECT_TRUE(WriteFileSafely(fifo, bytes));
    reader.join();
    EXPECT_EQ(received, bytes);
    EXPECT_TRUE(fs::is_fifo(fifo));

    // A reader that leaves early: reported, and the program lives on.
    std::thread quitter([&] {
        std::ifstream in(fifo);
        in.get();
    });
    const WriteOutcome outcome = WriteFileSafely(fifo, bytes);
    quitter.join();
    EXPECT_EQ(outcome.error, EPIPE);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(SafeWrite, DevicesAreWrittenInPlaceNeverReplaced)
{
    struct stat before
    {
    };
    ASSERT_EQ(::stat("/dev/null", &before), 0);
    EXPECT_TRUE(WriteFileSafely("/dev/null", "gone"));
    struct stat after
    {
    };
    ASSERT_EQ(::lstat("/dev/null", &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_rdev, before.st_rdev);
    EXPECT_EQ(after.st_ino, before.st_ino);

    const WriteOutcome full = WriteFileSafely("/dev/full", "no room");
    EXPECT_EQ(full.error, ENOSPC);
    EXPECT_EQ(full.reason, "No space left on device");
    ASSERT_EQ(::lstat("/dev/full", &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
}

TEST_F(SafeWrite, FoldersSocketsAndEmptyNamesAreRefused)
{
    EXPECT_EQ(WriteFileSafely(dir, "x").reason, "is a folder");
    EXPECT_EQ(WriteFileSafely("", "x").reason, "the file name is empty");
    EXPECT_EQ(WriteFileSafely(dir / "missing" / "a.wav", "x").error, ENOENT);

    const fs::path socketPath = dir / "socket";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.native().copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const WriteOutcome outcome = WriteFileSafely(socketPath, "x");
    ::close(fd);
    EXPECT_FALSE(outcome);
    EXPECT_NE(outcome.reason.find("is a socket"), std::string::npos) << outcome.reason;
    EXPECT_TRUE(fs::is_socket(socketPath));
}

} // namespace
} // namespace ondrix::platform
