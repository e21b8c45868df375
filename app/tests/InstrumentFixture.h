#pragma once

#include "FakeMasterVolume.h"
#include "FakePorts.h"
#include "ManualClock.h"
#include "ScriptedDialogs.h"
#include "app/model/ErrorReport.h"
#include "app/model/Instrument.h"
#include "app/startup/Startup.h"
#include "testsupport/FakeSoundDevice.h"
#include "testsupport/TempFolder.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace ondrix::app {
inline void PrintTo(TInterfaceId id, std::ostream* out)
{
    *out << "interface " << IdNumber(id);
}
} // namespace ondrix::app

namespace ondrix::app::testing {

using enum TInterfaceId;

// An instrument and its start-up on fakes: recorded ports and sound, scripted
// dialogs, a master volume in memory, a console in memory, a manual clock, an
// atom table and settings in a temporary folder. Errors that would show in the
// display are collected.
class InstrumentTest : public ::testing::Test
{
  protected:
    std::shared_ptr<TPortLog> log = std::make_shared<TPortLog>();
    std::shared_ptr<TScriptedDialogs> dialogs = std::make_shared<TScriptedDialogs>();
    std::shared_ptr<testsupport::FakeSoundDevice> sound =
        std::make_shared<testsupport::FakeSoundDevice>(testsupport::FakeSoundDevice::kFullVolume);
    std::shared_ptr<TFakeMasterVolume> volume = std::make_shared<TFakeMasterVolume>(40);
    testsupport::TempFolder folder;
    std::shared_ptr<platform::GlobalAtoms> atoms =
        std::make_shared<platform::GlobalAtoms>(folder.Path() / "atoms");
    std::filesystem::path atomTableDir = folder.Path() / "run" / "AtomTable";
    std::filesystem::path settingsDir = folder.Path() / "config" / "Merrow" / "Ondrix";
    std::ostringstream consoleOut;
    std::istringstream consoleIn;
    std::vector<int> endedWith;
    bool ioPortUsable = true;
    bool withMasterVolume = false;
    bool realTimers = false; // Qt's timers instead of the manual clock
    std::string programPath = "/usr/bin/ondrix"; // what a saved set-up starts
    TManualClock clock;

    // What the display showed and what start-up asked of the window.
    std::vector<std::string> shown;
    std::vector<std::string> origins;
    QString caption;
    int hides = 0;
    bool miniGraphPrepared = false;

    std::unique_ptr<TInstrument> instrument;
    std::unique_ptr<TStartup> startup;

    InstrumentTest()
    {
        SetErrorHandler(this, [this](const std::string& message, const std::string& origin) {
            shown.push_back(message);
            origins.push_back(origin);
        });
    }
    ~InstrumentTest() override
    {
        startup.reset();
        instrument.reset();
        ClearErrorHandler(this);
    }

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
            if (!ioPortUsable) return nullptr;
            return std::make_unique<TFakeIoPort>(log);
        };
        services.Atoms = atoms;
        services.OpenSettingsKey = [this]() -> std::optional<std::filesystem::path> {
            std::filesystem::create_directories(settingsDir);
            return settingsDir;
        };
        services.OpenAtomTableKey = [this] { return std::make_shared<platform::VolatileValues>(atomTableDir); };
        services.MasterVolume = withMasterVolume ? volume : nullptr;
        services.Dialogs = dialogs;
        services.ProgramPath = programPath;
        services.MakeTimer = realTimers ? QtTimers() : clock.Timers();
        services.ConsoleOut = &consoleOut;
        services.ConsoleIn = &consoleIn;
        services.EndProcess = [this](int code) { endedWith.push_back(code); };
        return services;
    }

    TWindowHooks Hooks()
    {
        TWindowHooks hooks;
        hooks.PrepareMiniGraph = [this] { miniGraphPrepared = true; };
        hooks.SetCaption = [this](const QString& text) { caption = text; };
        hooks.Hide = [this] { ++hides; };
        return hooks;
    }

    // Makes the instrument and runs its start-up with these switches.
    TInstrument& Start(std::vector<std::string> switches = {}, TOndrixServices services = {})
    {
        switches.insert(switches.begin(), "/usr/bin/ondrix");
        startup.reset();
        instrument.reset();
        shown.clear();
        origins.clear();
        instrument = std::make_unique<TInstrument>(services.MakeTimer ? std::move(services) : Services());
        startup = std::make_unique<TStartup>(*instrument, std::move(switches), Hooks());
        startup->FormCreate();
        return *instrument;
    }

    // The last error the display showed ("" when none).
    std::string Shown() const { return shown.empty() ? "" : shown.back(); }

    // The message of the error an action raises ("" when none).
    static std::string ErrorOf(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "";
    }
};

} // namespace ondrix::app::testing
