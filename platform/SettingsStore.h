#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace ondrix::platform {

// The per-user settings folder: $XDG_CONFIG_HOME/Merrow/Ondrix, or
// $HOME/.config/Merrow/Ondrix when XDG_CONFIG_HOME is unset or not absolute.
std::filesystem::path SettingsDirectory();

// Creates the settings folder (and its parents) if missing; false on failure.
bool EnsureSettingsDirectory();

// The volatile section of the settings: named string values that vanish at
// reboot (tmpfs). One file per value, each written whole (temporary file, then
// rename), so processes writing at once never lose or tear a value. Folders are
// created on first use with mode 0700 and must belong to the user.
class VolatileValues
{
  public:
    explicit VolatileValues(std::filesystem::path dir = DefaultAtomTableDirectory());

    // Stores (or replaces) a value. Names are one path component: 1 to 255
    // bytes, no '/', no NUL, not starting with '.'; other names are refused.
    bool Set(const std::string& name, const std::string& data);

    // Removes a value; false when it was not there (or the name is refused).
    bool Delete(const std::string& name);

    // The value at index 0: the lowest name, decimal numbers first in numeric
    // order, then other names in byte order. nullopt when there is none.
    std::optional<std::pair<std::string, std::string>> First() const;

    // $XDG_RUNTIME_DIR/Merrow/Ondrix/AtomTable, or
    // /dev/shm/ondrix-<uid>/Merrow/Ondrix/AtomTable when XDG_RUNTIME_DIR is
    // unset or not absolute.
    static std::filesystem::path DefaultAtomTableDirectory();

    const std::filesystem::path& Directory() const { return dir_; }

  private:
    std::filesystem::path dir_;
};

} // namespace ondrix::platform
