#include "platform/SettingsStore.h"

#include "platform/WholeFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <ctime>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ondrix::platform {
namespace {

constexpr mode_t kFolderMode = 0700;
constexpr mode_t kValueMode = 0600;
constexpr std::size_t kMaxNameLength = 255;
constexpr std::size_t kMaxValueSize = 1 << 20;
constexpr std::time_t kStaleTemporarySeconds = 60;

std::optional<std::filesystem::path> AbsoluteEnvironmentPath(const char* variable)
{
    const char* value = std::getenv(variable);
    if (value == nullptr || value[0] != '/') return std::nullopt;
    return std::filesystem::path(value);
}

std::filesystem::path HomeDirectory()
{
    if (auto home = AbsoluteEnvironmentPath("HOME")) return *home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "/";
}

// Creates every missing folder of path with the given mode (umask aside).
bool CreateFolders(const std::filesystem::path& path, mode_t mode)
{
    std::filesystem::path partial;
    for (const auto& part : path) {
        partial /= part;
        if (::mkdir(partial.c_str(), mode) == 0) {
            ::chmod(partial.c_str(), mode);
        } else if (errno != EEXIST) {
            return false;
        }
    }
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A folder whose entries only this user (or root) can add, rename or remove:
// it and every folder above it belong to this user or root and are not
// writable by others unless sticky. This refuses, for example, a folder that
// another user made in /dev/shm under our name.
bool PrivatelyHeld(const std::filesystem::path& path)
{
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    if (error) return false;
    const uid_t me = ::getuid();
    for (std::filesystem::path folder = real;; folder = folder.parent_path()) {
        struct stat info
        {
        };
        if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
        if (info.st_uid != me && info.st_uid != 0) return false;
        if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (info.st_mode & S_ISVTX) == 0) return false;
        if (folder == folder.root_path()) return true;
    }
}

bool ValidValueName(const std::string& name)
{
    return !name.empty() && name.size() <= kMaxNameLength && name.front() != '.' &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
}

// Ordering of values: decimal numbers first, by value, then other names by bytes.
struct ValueOrder
{
    bool numeric;
    unsigned long long number;
    std::string name;

    explicit ValueOrder(std::string fileName) : numeric(false), number(0), name(std::move(fileName))
    {
        const char* end = name.data() + name.size();
        const auto [rest, error] = std::from_chars(name.data(), end, number);
        numeric = error == std::errc() && rest == end;
    }
    bool operator<(const ValueOrder& other) const
    {
        if (numeric != other.numeric) return numeric;
        if (numeric && number != other.number) return number < other.number;
        return name < other.name;
    }
};

} // namespace

std::filesystem::path SettingsDirectory()
{
    const std::filesystem::path config =
        AbsoluteEnvironmentPath("XDG_CONFIG_HOME").value_or(HomeDirectory() / ".config");
    return config / "Merrow" / "Ondrix";
}

bool EnsureSettingsDirectory()
{
    return CreateFolders(SettingsDirectory(), kFolderMode);
}

VolatileValues::VolatileValues(std::filesystem::path dir) : dir_(std::move(dir)) {}

std::filesystem::path VolatileValues::DefaultAtomTableDirectory()
{
    const std::filesystem::path base =
        AbsoluteEnvironmentPath("XDG_RUNTIME_DIR")
            .value_or(std::filesystem::path("/dev/shm") / ("ondrix-" + std::to_string(::getuid())));
    return base / "Merrow" / "Ondrix" / "AtomTable";
}

bool VolatileValues::Set(const std::string& name, const std::string& data)
{
    if (!ValidValueName(name)) return false;
    if (!CreateFolders(dir_, kFolderMode) || !PrivatelyHeld(dir_)) return false;
    return wholefile::Replace(dir_, name, data, kValueMode);
}

bool VolatileValues::Delete(const std::string& name)
{
    if (!ValidValueName(name) || !PrivatelyHeld(dir_)) return false;
    return ::unlink((dir_ / name).c_str()) == 0;
}

std::optional<std::pair<std::string, std::string>> VolatileValues::First() const
{
    if (!PrivatelyHeld(dir_)) return std::nullopt;
    std::vector<ValueOrder> names;
    const std::time_t now = std::time(nullptr);
    std::error_code error;
    for (std::filesystem::directory_iterator it(dir_, error), end; !error && it != end; it.increment(error)) {
        std::string fileName = it->path().filename().string();
        if (wholefile::IsTemporaryName(fileName)) {
            // A writer that died between writing and renaming left this behind.
            struct stat info
            {
            };
            if (::lstat(it->path().c_str(), &info) == 0 && now - info.st_mtime > kStaleTemporarySeconds)
                ::unlink(it->path().c_str());
            continue;
        }
        if (ValidValueName(fileName)) names.emplace_back(std::move(fileName));
    }
    std::sort(names.begin(), names.end());
    for (const ValueOrder& entry : names) {
        // A value deleted since the listing is skipped; the next one is first.
        if (auto data = wholefile::Read(dir_ / entry.name, kMaxValueSize))
            return std::pair(entry.name, *data);
    }
    return std::nullopt;
}

} // namespace ondrix::platform
