#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

// Small files of the program's own tables that are always seen whole: written
// to a temporary file beside the target (made as the safe write makes its
// own, with an exact mode) and then renamed or linked into place.
namespace ondrix::platform::wholefile {

// True for the names of the temporary files made here (the safe write's
// temporaries; ".tmp-..." from earlier versions).
bool IsTemporaryName(std::string_view name);

// Writes content to a new, uniquely named temporary file in dir with the given
// mode (umask does not apply). The path, or nullopt on failure (errno set).
std::optional<std::filesystem::path> WriteTemporary(const std::filesystem::path& dir,
                                                    std::string_view content, mode_t mode);

// Replaces (or creates) dir/name with content in one step.
bool Replace(const std::filesystem::path& dir, const std::string& name, std::string_view content,
             mode_t mode);

// Creates dir/name with content in one step; false (errno EEXIST) when it exists.
bool CreateNew(const std::filesystem::path& dir, const std::string& name, std::string_view content,
               mode_t mode);

// The contents of a regular file (symbolic links are not followed), at most
// limit bytes; nullopt when it cannot be read (errno set).
std::optional<std::string> Read(const std::filesystem::path& path, std::size_t limit);

} // namespace ondrix::platform::wholefile
