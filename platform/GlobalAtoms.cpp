#include "platform/GlobalAtoms.h"

#include "platform/WholeFile.h"

#include <bitset>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ondrix::platform {
namespace {

// Each atom file reads "<reference count>\n<name>".
constexpr mode_t kFileMode = 0644;  // everyone reads; changes go through the folder
constexpr mode_t kTableMode = 0777; // every user may add and delete atoms
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

std::optional<AtomRecord> ReadAtom(const std::filesystem::path& dir, std::uint16_t atom)
{
    const auto text = wholefile::Read(dir / std::to_string(atom), 64 + GlobalAtoms::kMaxNameLength);
    if (!text) return std::nullopt;
    return Decode(*text);
}

// Creates the table folder for every user; it must be a real folder.
bool EnsureTable(const std::filesystem::path& dir)
{
    std::error_code ignored;
    std::filesystem::create_directories(dir.parent_path(), ignored);
    if (::mkdir(dir.c_str(), kTableMode) == 0) {
        ::chmod(dir.c_str(), kTableMode); // undo the umask
        return true;
    }
    struct stat info
    {
    };
    return errno == EEXIST && ::lstat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The table's exclusive lock, held by one writer of any process at a time.
// flock() locks belong to the open file, so threads of one process exclude
// each other as well, and a crashed holder releases it with its files.
class TableLock
{
  public:
    explicit TableLock(const std::filesystem::path& dir)
    {
        const std::filesystem::path path = dir / kLockName;
        fd_ = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, kFileMode);
        if (fd_ < 0) return;
        ::fchmod(fd_, kFileMode); // fails harmlessly when another user made it
        int result;
        do {
            result = ::flock(fd_, LOCK_EX);
        } while (result != 0 && errno == EINTR);
        if (result != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~TableLock()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;

    bool Held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

} // namespace

GlobalAtoms::GlobalAtoms(std::filesystem::path dir) : dir_(std::move(dir)) {}

std::filesystem::path GlobalAtoms::DefaultDirectory()
{
    if (const char* override = std::getenv("ONDRIX_ATOM_DIR"); override && override[0] == '/')
        return override;
    std::error_code ignored;
    if (std::filesystem::is_directory("/dev/shm", ignored)) return "/dev/shm/ondrix-atoms";
    return "/tmp/ondrix-atoms";
}

std::uint16_t GlobalAtoms::Add(const std::string& name)
{
    if (!ValidName(name) || !EnsureTable(dir_)) return 0;
    TableLock lock(dir_);
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
        auto record = ReadAtom(dir_, atom);
        if (!record || !SameName(record->name, name)) continue;
        if (record->references < UINT32_MAX) ++record->references;
        return wholefile::Replace(dir_, fileName, Encode(*record), kFileMode) ? atom : 0;
    }
    if (error) return 0;

    const std::string content = Encode({1, name});
    for (std::size_t index = 0; index < kAtomCount; ++index) {
        if (used.test(index)) continue;
        const auto atom = static_cast<std::uint16_t>(kFirstAtom + index);
        if (wholefile::CreateNew(dir_, std::to_string(atom), content, kFileMode)) return atom;
        if (errno != EEXIST) return 0;
    }
    return 0; // every number is taken
}

std::string GlobalAtoms::Name(std::uint16_t atom) const
{
    if (atom < kFirstAtom) return {};
    const auto record = ReadAtom(dir_, atom);
    if (!record) return {};
    return record->name.substr(0, kMaxNameLength);
}

bool GlobalAtoms::Delete(std::uint16_t atom)
{
    if (atom < kFirstAtom) return false;
    struct stat info
    {
    };
    if (::lstat(dir_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    TableLock lock(dir_);
    if (!lock.Held()) return false;

    auto record = ReadAtom(dir_, atom);
    if (!record) return false;
    const std::string fileName = std::to_string(atom);
    if (--record->references == 0) return ::unlink((dir_ / fileName).c_str()) == 0;
    return wholefile::Replace(dir_, fileName, Encode(*record), kFileMode);
}

} // namespace ondrix::platform
