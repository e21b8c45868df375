#include "tonegen/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace ondrix::tonegen {
namespace {

// Opens a fresh file named after the target in the target's folder.
int CreateTemporary(const std::string& path, std::string& name)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        // 0666 less the umask, as for any newly created file.
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const std::string& path, const std::uint8_t* bytes, std::size_t size)
{
    if (path.empty() || (bytes == nullptr && size > 0)) return false;
    std::string temporary;
    const int fd = CreateTemporary(path, temporary);
    if (fd < 0) return false;

    // An existing target keeps its permissions, as it would when overwritten in place.
    struct stat existing
    {
    };
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::fchmod(fd, existing.st_mode & 07777);

    const bool written = WriteAll(fd, bytes, size);
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (!written) errno = writeError;
    if (written && closed && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
    const int error = errno; // the caller may report why
    ::unlink(temporary.c_str());
    errno = error;
    return false;
}

} // namespace ondrix::tonegen
