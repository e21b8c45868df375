#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

// The one way the program and its tools write a file the user names (WAV, PNG,
// exports): whole or not at all, and never at the expense of what the name
// stands for.
namespace ondrix::platform {

// How a path is written, decided from what it names now (links followed).
enum class WriteMethod {
    Replace, // a regular file, or nothing yet: new file beside it, then rename
    InPlace, // a character device or FIFO: written like a stream, never replaced
    Refuse,  // a folder, socket or block device
};

// `exists` false: nothing by that name (a dangling link counts as nothing).
WriteMethod ChooseWriteMethod(bool exists, mode_t mode);

struct WriteOutcome
{
    int error = 0;      // errno value; 0 on success
    std::string reason; // for the user: "Permission denied", "is a folder", ...

    explicit operator bool() const { return error == 0; }
};

// Writes bytes to path. A regular file (or a new one) is written to a short,
// exclusively created temporary in the same folder, flushed to disk and
// renamed over the target, which keeps its permissions; a symbolic link is
// followed and its target replaced. A device or FIFO is written in place. An
// existing file without write permission for the user is refused, also for
// root (root needs at least one write bit in the file's mode, as a read-only
// file is a statement of intent). On failure nothing is left behind, the
// target is unchanged, and errno is set to outcome.error. A new file gets
// `newFileMode` less the umask (0755 for a script); an existing one keeps its own.
WriteOutcome WriteFileSafely(const std::string& path, std::string_view bytes, mode_t newFileMode = 0666);

// Writes all bytes to fd, retrying after signals; false with errno set.
bool WriteAll(int fd, std::string_view bytes);

// The temporary files a write makes beside its target start with this.
inline constexpr std::string_view kTemporaryPrefix = ".ondrix-";

// Creates a new file in folder under a short unused name (the prefix and
// eight letters or digits, so that a 255-byte target name still leaves room),
// opened for writing, mode less the umask; never follows or reuses an
// existing name. The descriptor, with the file's path in `path`; -1 and errno
// on failure.
int CreateTemporaryFile(const std::string& folder, std::string& path, mode_t mode = 0666);

} // namespace ondrix::platform
