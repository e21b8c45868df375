#include "app/RealServices.h"

#include "app/dialogs/QtDialogs.h"

#include <filesystem>
#include <iostream>

namespace ondrix::app {

TOndrixServices RealOndrixServices()
{
    TOndrixServices services;
    services.SoundDevice = platform::DefaultSoundDevice();
    services.OpenSerialLine = [](const std::string& portName) { return platform::OpenSerialLine(portName); };
    services.OpenIoPort = [] { return platform::OpenIoPort(); };
    services.Atoms = std::make_shared<platform::GlobalAtoms>();
    services.OpenSettingsKey = []() -> std::optional<std::filesystem::path> {
        if (!platform::EnsureSettingsDirectory()) return std::nullopt;
        return platform::SettingsDirectory();
    };
    services.OpenAtomTableKey = [] { return std::make_shared<platform::VolatileValues>(); };
    services.MasterVolume = platform::PulseMasterVolume();
    services.Dialogs = std::make_shared<TQtDialogs>();
    services.MakeTimer = QtTimers();
    std::error_code unknown;
    services.ProgramPath = std::filesystem::read_symlink("/proc/self/exe", unknown).string();
    services.ConsoleOut = &std::cout;
    services.ConsoleIn = &std::cin;
    return services;
}

} // namespace ondrix::app
