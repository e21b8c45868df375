#include "platform/GlobalAtoms.h"

#include "platform/SystemError.h"
#include "platform/WholeFile.h"

#include <algorithm>
#include <bitset>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace ondrix::platform {
namespace {

// Each atom file reads "<reference count>\n<name>".
constexpr mode_t kFileMode = 0644; // everyone reads; changes go through the folder
// Every user may add atoms; the sticky bit keeps each user's atoms their own.
constexpr mode_t kTableMode = 01777;
constexpr std::size_t kAtomCount = 65536 - GlobalAtoms::kFirstAtom;
constexpr const char* kLockName = ".lock";

struct AtomRecord
{
    std::uint32_t references = 0;
    std::string name;
};

bool ValidName(const std::string& name)
{
    return !name.empty() && name.size() <= GlobalAtoms::kMaxNameLength &&
           name.find('\0') == std::string::npos;
}

bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string Encode(const AtomRecord& record)
{
    return std::to_string(record.references) + "\n" + record.name;
}

std::optional<AtomRecord> Decode(const std::string& text)
{
    AtomRecord record;
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, record.references);
    if (error != std::errc() || rest == end || *rest != '\n' || record.references == 0) return std::nullopt;
    record.name.assign(rest + 1, end);
    if (!ValidName(record.name)) return std::nullopt;
    return record;
}

// The atom number a table file name stands for, or 0.
std::uint16_t AtomFromFileName(const std::string& fileName)
{
    unsigned value = 0;
    const char* end = fileName.data() + fileName.size();
    const auto [rest, error] = std::from_chars(fileName.data(), end, value);
    if (error != std::errc() || rest != end || fileName.size() != 5) return 0;
    if (value < GlobalAtoms::kFirstAtom || value > 65535) return 0;
    return static_cast<std::uint16_t>(value);
}

// The atom's record; nullopt when there is none (a missing file, or one that
// is no atom record: a link, a folder, garbage), and then also when it cannot
// be read, which `why` tells apart.
std::optional<AtomRecord> ReadAtom(const std::filesystem::path& dir, std::uint16_t atom,
                                   std::string* why = nullptr)
{
    const std::filesystem::path path = dir / std::to_string(atom);
    const auto text = wholefile::Read(path, 64 + GlobalAtoms::kMaxNameLength);
    if (!text) {
        if (errno != ENOENT && errno != ELOOP && errno != EINVAL && why != nullptr)
            *why = path.string() + ": " + SystemErrorText(errno);
        return std::nullopt;
    }
    return Decode(*text);
}

void Explain(std::string* why, std::string text)
{
    if (why != nullptr) *why = std::move(text);
}

// What a failed change of a token file means: in the sticky folder only the
// user who made a token may change or delete it.
std::string ChangeFailure(std::uint16_t atom)
{
    const int error = errno;
    std::string text = "cannot change token " + std::to_string(atom) + ": " + SystemErrorText(error);
    if (error == EPERM || error == EACCES) text += " (it belongs to another user)";
    return text;
}

// Creates the table folder for every user, or checks the one there: a real
// folder, never a link, that users cannot empty of each other's files.
bool EnsureTable(const std::filesystem::path& dir, std::string* why)
{
    std::error_code ignored;
    std::filesystem::create_directories(dir.parent_path(), ignored);
    if (::mkdir(dir.c_str(), kTableMode) != 0 && errno != EEXIST) {
        Explain(why, dir.string() + ": " + SystemErrorText(errno));
        return false;
    }
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        Explain(why, dir.string() + ": " +
                         (errno == ENOTDIR || errno == ELOOP ? "not a folder (a link or file is never used)"
                                                             : SystemErrorText(errno)));
        return false;
    }
    struct stat info
    {
    };
    bool usable = ::fstat(fd, &info) == 0;
    if (usable && (info.st_mode & 07777) != kTableMode) {
        // New (the umask took bits away), or made without the sticky bit by an
        // older version: the owner or root puts it right, nobody else can.
        const bool open = (info.st_mode & S_IWOTH) != 0 && (info.st_mode & S_ISVTX) == 0;
        if (::fchmod(fd, kTableMode) != 0 && open) {
            usable = false;
            Explain(why,
                    dir.string() +
                        ": every user may remove tokens here (no sticky bit) and only its owner can fix it");
        }
    }
    ::close(fd);
    return usable;
}

// The table's exclusive lock, held by one writer of any process at a time.
// flock() locks belong to the open file, so threads of one process exclude
// each other as well, and a crashed holder releases it with its files. The
// lock file is opened without following links or waiting on a FIFO, and a
// lock held by someone else for too long is reported rather than waited for.
class TableLock
{
  public:
    TableLock(const std::filesystem::path& dir, std::chrono::milliseconds wait, std::string* why)
    {
        const std::filesystem::path path = dir / kLockName;
        fd_ = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, kFileMode);
        struct stat info
        {
        };
        if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
            const bool foreign = fd_ >= 0 || errno == ELOOP;
            Explain(why, path.string() + ": " +
                             (foreign ? "not a regular file; the token table cannot be locked"
                                      : SystemErrorText(errno)));
            Release();
            return;
        }
        ::fchmod(fd_, kFileMode); // fails harmlessly when another user made it
        const auto deadline = std::chrono::steady_clock::now() + wait;
        auto pause = std::chrono::milliseconds(1);
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR) continue;
            if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
                Explain(why, errno == EWOULDBLOCK
                                 ? "the token table stays locked by another process (" + path.string() +
                                       "); gave up after " + std::to_string(wait.count()) + " ms"
                                 : path.string() + ": " + SystemErrorText(errno));
                Release();
                return;
            }
            std::this_thread::sleep_for(pause);
            pause = std::min(pause * 2, std::chrono::milliseconds(20));
        }
    }
    ~TableLock() { Release(); }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;

    bool Held() const { return fd_ >= 0; }

  private:
    void Release()
    {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    int fd_ = -1;
};

} // namespace

GlobalAtoms::GlobalAtoms(std::filesystem::path dir, std::chrono::milliseconds lockWait)
    : dir_(std::move(dir)), lockWait_(lockWait)
{
}

std::filesystem::path GlobalAtoms::DefaultDirectory()
{
    if (const char* override = std::getenv("ONDRIX_ATOM_DIR"); override && override[0] == '/')
        return override;
    std::error_code ignored;
    if (std::filesystem::is_directory("/dev/shm", ignored)) return "/dev/shm/ondrix-atoms";
    return "/tmp/ondrix-atoms";
}

std::uint16_t GlobalAtoms::Add(const std::string& name, std::string* why)
{
    if (!ValidName(name)) {
        Explain(why, "a token name has 1 to 255 bytes and no NUL");
        return 0;
    }
    if (!EnsureTable(dir_, why)) return 0;
    TableLock lock(dir_, lockWait_, why);
    if (!lock.Held()) return 0;

    std::bitset<kAtomCount> used;
    std::error_code error;
    for (std::filesystem::directory_iterator it(dir_, error), end; !error && it != end; it.increment(error)) {
        const std::string fileName = it->path().filename().string();
        if (wholefile::IsTemporaryName(fileName)) {
            // Writers make temporaries only while holding the lock: this one is
            // left over from a writer that died.
            ::unlink(it->path().c_str());
            continue;
        }
        const std::uint16_t atom = AtomFromFileName(fileName);
        if (atom == 0) continue;
        used.set(atom - kFirstAtom);
        std::string unreadable;
        auto record = ReadAtom(dir_, atom, &unreadable);
        if (!unreadable.empty()) {
            // It may hold this very name: adding it again would make a second token.
            Explain(why, unreadable);
            return 0;
        }
        if (!record || !SameName(record->name, name)) continue;
        if (record->references < UINT32_MAX) ++record->references;
        if (wholefile::Replace(dir_, fileName, Encode(*record), kFileMode)) return atom;
        Explain(why, ChangeFailure(atom));
        return 0;
    }
    if (error) {
        Explain(why, dir_.string() + ": " + error.message());
        return 0;
    }

    const std::string content = Encode({1, name});
    for (std::size_t index = 0; index < kAtomCount; ++index) {
        if (used.test(index)) continue;
        const auto atom = static_cast<std::uint16_t>(kFirstAtom + index);
        if (wholefile::CreateNew(dir_, std::to_string(atom), content, kFileMode)) return atom;
        if (errno != EEXIST) {
            Explain(why, dir_.string() + ": " + SystemErrorText(errno));
            return 0;
        }
    }
    Explain(why, "the token table is full");
    return 0;
}

std::string GlobalAtoms::Name(std::uint16_t atom, std::string* why) const
{
    if (atom < kFirstAtom) return {};
    const auto record = ReadAtom(dir_, atom, why);
    if (!record) return {};
    return record->name.substr(0, kMaxNameLength);
}

bool GlobalAtoms::Delete(std::uint16_t atom, std::string* why)
{
    return DeleteMatching(atom, nullptr, why);
}

bool GlobalAtoms::DeleteIfNamed(std::uint16_t atom, const std::string& name, std::string* why)
{
    return DeleteMatching(atom, &name, why);
}

bool GlobalAtoms::DeleteMatching(std::uint16_t atom, const std::string* name, std::string* why)
{
    if (atom < kFirstAtom) return false;
    struct stat info
    {
    };
    if (::lstat(dir_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    TableLock lock(dir_, lockWait_, why);
    if (!lock.Held()) return false;

    auto record = ReadAtom(dir_, atom, why);
    if (!record || (name != nullptr && !SameName(record->name, *name))) return false;
    const std::string fileName = std::to_string(atom);
    const bool changed = --record->references == 0
                             ? ::unlink((dir_ / fileName).c_str()) == 0
                             : wholefile::Replace(dir_, fileName, Encode(*record), kFileMode);
    if (!changed) Explain(why, ChangeFailure(atom));
    return changed;
}

} // namespace ondrix::platform
