#pragma once

#include "FakePorts.h"
#include "ScriptedDialogs.h"
#include "TempFolder.h"
#include "app/TOndrix.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace ondrix::app::testing {

// A main window on fakes: recorded ports and sound, scripted dialogs, a
// console in memory, an atom table and settings in a temporary folder.
class OndrixTest : public ::testing::Test
{
  protected:
    std::shared_ptr<TPortLog> log = std::make_shared<TPortLog>();
    std::shared_ptr<TScriptedDialogs> dialogs = std::make_shared<TScriptedDialogs>();
    std::shared_ptr<TFakeSoundDevice> sound = std::make_shared<TFakeSoundDevice>(log);
    TTempFolder folder;
    std::shared_ptr<platform::GlobalAtoms> atoms =
        std::make_shared<platform::GlobalAtoms>(folder.Path() / "atoms");
    std::filesystem::path atomTableDir = folder.Path() / "run" / "AtomTable";
    std::filesystem::path settingsDir = folder.Path() / "config" / "Merrow" / "Ondrix";
    std::ostringstream consoleOut;
    std::istringstream consoleIn;
    std::vector<int> endedWith;
    bool ioPortUsable = true;
    std::unique_ptr<TOndrix> ondrix;

    TOndrixServices Services()
    {
        TOndrixServices services;
        services.SoundDevice = sound;
        services.OpenSerialLine =
            [log = log](const std::string& name) -> std::unique_ptr<platform::SerialLine> {
            if (name.rfind("missing", 0) == 0) throw platform::SystemError(ENOENT);
            return std::make_unique<TFakeSerialLine>(log, name);
        };
        services.OpenIoPort = [this]() -> std::unique_ptr<platform::IoPort> {
            if (!ioPortUsable) return platform::OpenIoPort(folder.Path() / "no-such-port");
            return std::make_unique<TFakeIoPort>(log);
        };
        services.Atoms = atoms;
        services.OpenSettingsKey = [this]() -> std::optional<std::filesystem::path> {
            std::filesystem::create_directories(settingsDir);
            return settingsDir;
        };
        services.OpenAtomTableKey = [this] {
            return std::make_shared<platform::VolatileValues>(atomTableDir);
        };
        services.Dialogs = dialogs;
        services.ConsoleOut = &consoleOut;
        services.ConsoleIn = &consoleIn;
        services.EndProcess = [this](int code) { endedWith.push_back(code); };
        return services;
    }

    // Creates the window and runs its start-up with these switches.
    TOndrix& Start(std::vector<std::string> switches = {})
    {
        switches.insert(switches.begin(), "/usr/bin/ondrix");
        ondrix.reset();
        ondrix = std::make_unique<TOndrix>(Services(), std::move(switches));
        ondrix->FormCreate();
        return *ondrix;
    }

    // The error the display shows ("" when none).
    std::string Shown() const { return ondrix->Panel1->Caption().toStdString(); }
};

} // namespace ondrix::app::testing
