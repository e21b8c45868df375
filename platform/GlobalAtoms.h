#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

namespace ondrix::platform {

// A system-wide table of named tokens ("global atoms"), shared by every
// process and user of the machine, numbered 49152 (0xC000) to 65535.
//
// It lives on tmpfs, so it is empty after a reboot: one file per atom named by
// its number, holding its reference count and name. Adding a name that exists
// (compared without regard to ASCII letter case) returns the same number and
// counts one more reference; Delete removes one reference and the token
// disappears when none is left. All changes are made under an exclusive file
// lock of the table and every file is replaced whole, so any number of
// processes and threads may use the table at once; readers never block.
//
// Names are 1 to 255 bytes without NUL. Integer atoms ("#123") are not kept:
// such a text is an ordinary name here.
//
// Between users: the folder is writable by all with the sticky bit, so every
// user may read every token and make new ones, but only the user who made a
// token (and root, and the folder's owner) may count it up or down or delete
// it. Nobody can make the table unusable for long: the lock is never a link or
// a FIFO, and a lock held too long gives an error instead of a wait.
class GlobalAtoms
{
  public:
    static constexpr std::uint16_t kFirstAtom = 0xC000;
    static constexpr std::size_t kMaxNameLength = 255;
    static constexpr std::chrono::milliseconds kDefaultLockWait{5000};

    explicit GlobalAtoms(std::filesystem::path dir = DefaultDirectory(),
                         std::chrono::milliseconds lockWait = kDefaultLockWait);

    // The atom for name (new, or the existing one with one more reference);
    // 0 on failure (bad name, table full, table folder unusable), and why in `why`.
    std::uint16_t Add(const std::string& name, std::string* why = nullptr);

    // The atom's name (at most 255 bytes); "" when there is no such atom, or
    // when it cannot be read (the reason then in `why`).
    std::string Name(std::uint16_t atom, std::string* why = nullptr) const;

    // Drops one reference; false when there is no such atom (`why` untouched)
    // or on failure (the reason in `why`).
    bool Delete(std::uint16_t atom, std::string* why = nullptr);

    // Delete, but only while the atom still has this name (compared as Add
    // compares): a number noted earlier may since have been freed and given
    // to another name, which must not lose a reference.
    bool DeleteIfNamed(std::uint16_t atom, const std::string& name, std::string* why = nullptr);

    // $ONDRIX_ATOM_DIR when set (absolute), otherwise /dev/shm/ondrix-atoms
    // (/tmp/ondrix-atoms where /dev/shm is missing).
    static std::filesystem::path DefaultDirectory();

    const std::filesystem::path& Directory() const { return dir_; }

  private:
    bool DeleteMatching(std::uint16_t atom, const std::string* name, std::string* why);

    std::filesystem::path dir_;
    std::chrono::milliseconds lockWait_;
};

} // namespace ondrix::platform
