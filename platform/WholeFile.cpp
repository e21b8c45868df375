#include "platform/WholeFile.h"

#include "platform/SafeWrite.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace ondrix::platform::wholefile {

bool IsTemporaryName(std::string_view name)
{
    // ".tmp-" was the prefix of earlier versions, whose files may still be about.
    return name.starts_with(kTemporaryPrefix) || name.starts_with(".tmp-");
}

std::optional<std::filesystem::path> WriteTemporary(const std::filesystem::path& dir,
                                                    std::string_view content, mode_t mode)
{
    std::string path;
    const int fd = CreateTemporaryFile(dir.string(), path, mode);
    if (fd < 0) return std::nullopt;
    const bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, content);
    const int writeError = errno;
    if (::close(fd) != 0 || !ok) {
        ::unlink(path.c_str());
        errno = ok ? EIO : writeError;
        return std::nullopt;
    }
    return path;
}

bool Replace(const std::filesystem::path& dir, const std::string& name, std::string_view content, mode_t mode)
{
    const auto temporary = WriteTemporary(dir, content, mode);
    if (!temporary) return false;
    const std::filesystem::path target = dir / name;
    if (::rename(temporary->c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary->c_str());
        errno = error;
        return false;
    }
    return true;
}

bool CreateNew(const std::filesystem::path& dir, const std::string& name, std::string_view content,
               mode_t mode)
{
    const auto temporary = WriteTemporary(dir, content, mode);
    if (!temporary) return false;
    const std::filesystem::path target = dir / name;
    // link() never replaces an existing name, so only one creator can win.
    const bool linked = ::link(temporary->c_str(), target.c_str()) == 0;
    const int error = errno;
    ::unlink(temporary->c_str());
    errno = error;
    return linked;
}

std::optional<std::string> Read(const std::filesystem::path& path, std::size_t limit)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return std::nullopt;
    }
    std::string content;
    char buffer[4096];
    while (content.size() < limit) {
        const ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, limit - content.size()));
        if (got < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            errno = error;
            return std::nullopt;
        }
        if (got == 0) break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return content;
}

} // namespace ondrix::platform::wholefile
