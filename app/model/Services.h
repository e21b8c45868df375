#pragma once

#include "app/model/Dialogs.h"
#include "app/model/Timer.h"
#include "platform/GlobalAtoms.h"
#include "platform/IoPort.h"
#include "platform/MasterVolume.h"
#include "platform/SerialLine.h"
#include "platform/SettingsStore.h"
#include "platform/SoundDevice.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

namespace ondrix::app {

// What the instrument and its start-up need from the world outside them. The
// program passes the real facilities (RealOndrixServices); tests pass fakes,
// temporary folders and a manual clock.
struct TOndrixServices
{
    // The device ToneGen1 plays through (null: a silent one).
    std::shared_ptr<platform::SoundDevice> SoundDevice;

    // Opens a serial port by its name ("COM3", "ttyUSB0", "/dev/ttyS2");
    // throws platform::SystemError when it cannot.
    std::function<std::unique_ptr<platform::SerialLine>(const std::string& portName)> OpenSerialLine;

    // Opens I/O-port access; never fails, but the port's writes may.
    std::function<std::unique_ptr<platform::IoPort>()> OpenIoPort;

    // The system-wide global atom table.
    std::shared_ptr<platform::GlobalAtoms> Atoms;

    // Creates (or finds) the per-user settings folder; nullopt when it cannot.
    std::function<std::optional<std::filesystem::path>()> OpenSettingsKey;

    // The settings' volatile atom table; null when it cannot be opened.
    std::function<std::shared_ptr<platform::VolatileValues>()> OpenAtomTableKey;

    // The desktop's master volume: the amplitude (null: it can be neither read nor set).
    std::shared_ptr<platform::MasterVolume> MasterVolume;

    // Prompts, message boxes and save dialogs.
    std::shared_ptr<TDialogs> Dialogs;

    // The running program's full path, which a saved set-up starts again.
    std::string ProgramPath;

    // The timers of the port toggles, the sweep and the display.
    TTimerFactory MakeTimer;

    // The console of "/?": the usage text goes to ConsoleOut, then one line is
    // read from ConsoleIn (end of input counts as Enter).
    std::ostream* ConsoleOut = nullptr;
    std::istream* ConsoleIn = nullptr;

    // Ends the process with the exit code; called once, on the GUI thread,
    // after the shutdown steps ran. It may return (the program then leaves
    // its event loop, tests just note the code).
    std::function<void(int exitCode)> EndProcess;
};


} // namespace ondrix::app
