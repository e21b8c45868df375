#include "platform/SafeWrite.h"

#include "platform/SystemError.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ondrix::platform {
namespace {

constexpr int kMaxLinks = 40; // as the kernel allows in one lookup

WriteOutcome Failure(int error, std::string reason = {})
{
    if (reason.empty()) reason = SystemErrorText(error);
    errno = error;
    return {error, std::move(reason)};
}

WriteOutcome Refusal(mode_t mode)
{
    if (S_ISDIR(mode)) return Failure(EISDIR, "is a folder");
    if (S_ISSOCK(mode)) return Failure(EINVAL, "is a socket; only files, devices and FIFOs are written");
    return Failure(EINVAL, "is a block device; it is not overwritten");
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path finally names, its trailing symbolic links followed even
// when the last one dangles (the file is then created where it points).
std::optional<std::string> FollowLinks(std::string path)
{
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat info
        {
        };
        if (::lstat(path.c_str(), &info) != 0) {
            if (errno == ENOENT) return path;
            return std::nullopt;
        }
        if (!S_ISLNK(info.st_mode)) return path;
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
        if (length <= 0) return std::nullopt;
        const std::string link(target, static_cast<std::size_t>(length));
        path = link.front() == '/' ? link : FolderOf(path) + "/" + link;
    }
    errno = ELOOP;
    return std::nullopt;
}

// Whether the user may write an existing file. Root may write anything, so it
// is held to the file's mode instead: a file nobody may write stays as it is.
bool MayWrite(const std::string& path, const struct stat& info)
{
    if (::geteuid() == 0) return (info.st_mode & 0222) != 0;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

std::string TemporaryName(const std::string& folder)
{
    static std::atomic<std::uint64_t> counter{0};
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::uint64_t seed = static_cast<std::uint64_t>(now.tv_nsec) ^
                         (static_cast<std::uint64_t>(::getpid()) << 32) ^
                         (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    std::string name = folder + "/" + std::string(kTemporaryPrefix);
    for (int i = 0; i < 8; ++i) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        name += "0123456789abcdefghijklmnopqrstuvwxyz"[(seed >> 33) % 36];
    }
    return name;
}

void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return; // the rename is done; this only hastens it to disk
    ::fsync(fd);
    ::close(fd);
}

WriteOutcome Replace(const std::string& target, std::string_view bytes, const struct stat* existing,
                     mode_t newFileMode)
{
    const std::string folder = FolderOf(target);
    std::string temporary;
    const int fd = CreateTemporaryFile(folder, temporary, newFileMode);
    if (fd < 0) return Failure(errno);
    if (existing != nullptr) {
        // The new file takes the place of the old one: same owner (when root
        // writes someone else's file) and same permissions.
        if (::geteuid() == 0 && (existing->st_uid != 0 || existing->st_gid != 0))
            (void)::fchown(fd, existing->st_uid, existing->st_gid);
        (void)::fchmod(fd, existing->st_mode & 07777);
    }
    bool done = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && done) {
        done = false;
        error = errno;
    }
    if (done && ::rename(temporary.c_str(), target.c_str()) == 0) {
        SyncFolder(folder);
        return {};
    }
    if (done) error = errno;
    ::unlink(temporary.c_str());
    return Failure(error);
}

// Writing to a FIFO whose reader has gone raises SIGPIPE, which would end the
// program without a word: it is held back for this thread and the write
// reports EPIPE instead.
class PipeSignalHeld
{
  public:
    PipeSignalHeld()
    {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe_, &previous_);
    }
    ~PipeSignalHeld()
    {
        const timespec none{};
        while (sigtimedwait(&pipe_, nullptr, &none) > 0) {
        } // consume the one raised by our write
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    PipeSignalHeld(const PipeSignalHeld&) = delete;
    PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

  private:
    sigset_t pipe_{};
    sigset_t previous_{};
};

WriteOutcome WriteInPlace(const std::string& path, std::string_view bytes)
{
    // A FIFO without a reader waits for one here, as any program writing to it would.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return Failure(errno);
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || ChooseWriteMethod(true, info.st_mode) != WriteMethod::InPlace) {
        // Swapped for something else since it was looked at: write nothing.
        ::close(fd);
        return Failure(EAGAIN, "changed while it was being opened");
    }
    PipeSignalHeld held;
    bool done = WriteAll(fd, bytes);
    int error = errno;
    if (::close(fd) != 0 && done) {
        done = false;
        error = errno;
    }
    return done ? WriteOutcome{} : Failure(error);
}

} // namespace

WriteMethod ChooseWriteMethod(bool exists, mode_t mode)
{
    if (!exists || S_ISREG(mode)) return WriteMethod::Replace;
    if (S_ISCHR(mode) || S_ISFIFO(mode)) return WriteMethod::InPlace;
    return WriteMethod::Refuse;
}

int CreateTemporaryFile(const std::string& folder, std::string& path, mode_t mode)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = TemporaryName(folder);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

WriteOutcome WriteFileSafely(const std::string& path, std::string_view bytes, mode_t newFileMode)
{
    if (path.empty()) return Failure(ENOENT, "the file name is empty");
    struct stat info
    {
    };
    const bool exists = ::stat(path.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) return Failure(errno);
    switch (ChooseWriteMethod(exists, info.st_mode)) {
    case WriteMethod::Refuse:
        return Refusal(info.st_mode);
    case WriteMethod::InPlace:
        return WriteInPlace(path, bytes);
    case WriteMethod::Replace:
        break;
    }
    const std::optional<std::string> target = FollowLinks(path);
    if (!target) return Failure(errno);
    if (exists && !MayWrite(*target, info)) return Failure(EACCES);
    return Replace(*target, bytes, exists ? &info : nullptr, newFileMode);
}

} // namespace ondrix::platform
