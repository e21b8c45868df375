#pragma once

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
class GlobalAtoms
{
  public:
    static constexpr std::uint16_t kFirstAtom = 0xC000;
    static constexpr std::size_t kMaxNameLength = 255;

    explicit GlobalAtoms(std::filesystem::path dir = DefaultDirectory());

    // The atom for name (new, or the existing one with one more reference);
    // 0 on failure (bad name, table full, table folder unusable).
    std::uint16_t Add(const std::string& name);

    // The atom's name (at most 255 bytes); "" when there is no such atom.
    std::string Name(std::uint16_t atom) const;

    // Drops one reference; false when there is no such atom (or on failure).
    bool Delete(std::uint16_t atom);

    // $ONDRIX_ATOM_DIR when set (absolute), otherwise /dev/shm/ondrix-atoms
    // (/tmp/ondrix-atoms where /dev/shm is missing).
    static std::filesystem::path DefaultDirectory();

    const std::filesystem::path& Directory() const { return dir_; }

  private:
    std::filesystem::path dir_;
};

} // namespace ondrix::platform
