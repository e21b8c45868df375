#include "platform/SettingsStore.h"

#include "platform/SystemError.h"
#include "platform/WholeFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
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

std::string ModeText(mode_t mode)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

std::filesystem::path HomeDirectory()
{
    if (auto home = AbsoluteEnvironmentPath("HOME")) return *home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "/";
}

// Creates one folder with exactly the given mode (umask aside); true when it
// was made or is there already.
bool MakeFolder(const std::filesystem::path& path, mode_t mode)
{
    if (::mkdir(path.c_str(), mode) != 0) return errno == EEXIST;
    ::chmod(path.c_str(), mode);
    return true;
}

std::string Problem(const std::filesystem::path& path, const std::string& what)
{
    return path.string() + ": " + what;
}

bool WritableByOthers(const struct stat& info)
{
    return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

// Why a folder cannot hold private values, or nullopt when it can: only this
// user (or root) can add, rename or remove entries in it. Walked from the top,
// making missing folders (mode 0700) when `create` is set, so that nothing is
// made inside a folder another user controls. A symbolic link on the way is
// followed only when it belongs to this user or root and lies in a folder
// nobody else can write: a link planted in a shared folder such as /dev/shm
// is refused. Every folder reached must belong to this user or root and be
// closed to others (or sticky, as /tmp); the last one must be this user's
// own and closed to others.
std::optional<std::string> PrivateFolderProblem(const std::filesystem::path& path, bool create)
{
    const uid_t me = ::getuid();
    std::filesystem::path partial;
    for (const auto& part : path) {
        const std::filesystem::path parent = partial;
        partial /= part;
        struct stat entry
        {
        };
        if (::lstat(partial.c_str(), &entry) != 0 && errno == ENOENT && create) {
            if (!MakeFolder(partial, kFolderMode)) return Problem(partial, SystemErrorText(errno));
        }
        if (::lstat(partial.c_str(), &entry) != 0) return Problem(partial, SystemErrorText(errno));
        if (S_ISLNK(entry.st_mode)) {
            struct stat container
            {
            };
            if (::stat(parent.c_str(), &container) != 0 || WritableByOthers(container) ||
                (entry.st_uid != me && entry.st_uid != 0))
                return Problem(partial, "a symbolic link another user could have made; not followed");
        }
        struct stat folder
        {
        };
        if (::stat(partial.c_str(), &folder) != 0) return Problem(partial, SystemErrorText(errno));
        if (!S_ISDIR(folder.st_mode)) return Problem(partial, "not a folder");
        if (folder.st_uid != me && folder.st_uid != 0) return Problem(partial, "belongs to another user");
        if (WritableByOthers(folder) && (folder.st_mode & S_ISVTX) == 0)
            return Problem(partial, "other users may change it (mode " + ModeText(folder.st_mode) + ")");
    }
    // Where the links lead: the same rules for every folder above the target.
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    if (error) return Problem(path, error.message());
    for (std::filesystem::path folder = real;; folder = folder.parent_path()) {
        struct stat info
        {
        };
        if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            return Problem(folder, "not a folder");
        if (info.st_uid != me && info.st_uid != 0) return Problem(folder, "belongs to another user");
        if (WritableByOthers(info) && (info.st_mode & S_ISVTX) == 0)
            return Problem(folder, "other users may change it (mode " + ModeText(info.st_mode) + ")");
        if (folder == real && (info.st_uid != me || WritableByOthers(info)))
            return Problem(folder, "not a private folder of this user (mode " + ModeText(info.st_mode) + ")");
        if (folder == folder.root_path()) return std::nullopt;
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
    // Only the program's own folders are made, under a base the user has: a
    // mistyped HOME or XDG_CONFIG_HOME must not grow a folder chain anywhere.
    const std::filesystem::path settings = SettingsDirectory();
    const std::filesystem::path config = settings.parent_path().parent_path();
    std::error_code error;
    if (!std::filesystem::is_directory(config, error)) {
        const bool configUnderHome = !AbsoluteEnvironmentPath("XDG_CONFIG_HOME");
        if (!configUnderHome || !std::filesystem::is_directory(config.parent_path(), error) ||
            !MakeFolder(config, kFolderMode))
            return false;
    }
    for (const std::filesystem::path& folder : {settings.parent_path(), settings})
        if (!MakeFolder(folder, kFolderMode)) return false;
    return std::filesystem::is_directory(settings, error);
}

VolatileValues::VolatileValues(std::filesystem::path dir) : dir_(std::move(dir)) {}

std::filesystem::path VolatileValues::DefaultAtomTableDirectory()
{
    const std::filesystem::path base =
        AbsoluteEnvironmentPath("XDG_RUNTIME_DIR")
            .value_or(std::filesystem::path("/dev/shm") / ("ondrix-" + std::to_string(::getuid())));
    return base / "Merrow" / "Ondrix" / "AtomTable";
}

bool VolatileValues::Set(const std::string& name, const std::string& data, std::string* why)
{
    if (!ValidValueName(name)) {
        if (why != nullptr) *why = "\"" + name + "\" is not a value name";
        return false;
    }
    if (auto problem = PrivateFolderProblem(dir_, true)) {
        if (why != nullptr) *why = std::move(*problem);
        return false;
    }
    if (wholefile::Replace(dir_, name, data, kValueMode)) return true;
    if (why != nullptr) *why = Problem(dir_ / name, SystemErrorText(errno));
    return false;
}

std::optional<std::string> VolatileValues::FolderProblem() const
{
    struct stat info
    {
    };
    if (::lstat(dir_.c_str(), &info) != 0 && errno == ENOENT) {
        // Not made yet; but a missing folder behind a planted link is a problem.
        auto problem = PrivateFolderProblem(dir_.parent_path(), false);
        if (problem && problem->find(SystemErrorText(ENOENT)) != std::string::npos) return std::nullopt;
        return problem;
    }
    return PrivateFolderProblem(dir_, false);
}

bool VolatileValues::Delete(const std::string& name)
{
    if (!ValidValueName(name) || PrivateFolderProblem(dir_, false)) return false;
    return ::unlink((dir_ / name).c_str()) == 0;
}

std::optional<std::pair<std::string, std::string>> VolatileValues::First() const
{
    if (PrivateFolderProblem(dir_, false)) return std::nullopt;
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
