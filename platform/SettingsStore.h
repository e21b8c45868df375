#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace ondrix::platform {

// The per-user settings folder: $XDG_CONFIG_HOME/Merrow/Ondrix, or
// $HOME/.config/Merrow/Ondrix when XDG_CONFIG_HOME is unset or not absolute.
std::filesystem::path SettingsDirectory();

// Creates the settings folder if missing: Merrow/Ondrix in the configuration
// folder, which must exist ($XDG_CONFIG_HOME), or ~/.config, made only in an
// existing home folder. False when it cannot (the program then runs without
// settings).
bool EnsureSettingsDirectory();

// The volatile section of the settings: named string values that vanish at
// reboot (tmpfs). One file per value, each written whole (temporary file, then
// rename), so processes writing at once never lose or tear a value. Folders are
// created on first use with mode 0700; the table folder must be the user's own
// and closed to others, and no other user may be able to replace a folder or
// link on the way to it (a planted /dev/shm/ondrix-<uid> is refused).
class VolatileValues
{
  public:
    explicit VolatileValues(std::filesystem::path dir = DefaultAtomTableDirectory());

    // Stores (or replaces) a value. Names are one path component: 1 to 255
    // bytes, no '/', no NUL, not starting with '.'; other names are refused.
    // On failure `why` says what is wrong (the folder, the name, the disk).
    bool Set(const std::string& name, const std::string& data, std::string* why = nullptr);

    // Removes a value; false when it was not there (or the name is refused).
    bool Delete(const std::string& name);

    // The value at index 0: the lowest name, decimal numbers first in numeric
    // order, then other names in byte order. nullopt when there is none.
    std::optional<std::pair<std::string, std::string>> First() const;

    // Why the folder cannot be used (planted link, another owner, open to
    // others, unreadable), or nullopt when it can or does not exist yet:
    // First() finding nothing means "no values" only when this is nullopt.
    std::optional<std::string> FolderProblem() const;

    // $XDG_RUNTIME_DIR/Merrow/Ondrix/AtomTable, or
    // /dev/shm/ondrix-<uid>/Merrow/Ondrix/AtomTable when XDG_RUNTIME_DIR is
    // unset or not absolute.
    static std::filesystem::path DefaultAtomTableDirectory();

    const std::filesystem::path& Directory() const { return dir_; }

  private:
    std::filesystem::path dir_;
};

} // namespace ondrix::platform
