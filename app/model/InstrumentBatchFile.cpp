// "Save To Batch File": the set-up saved as a shell script.
#include "app/model/BatchScript.h"
#include "app/model/Instrument.h"
#include "platform/SystemError.h"
#include "platform/WholeFile.h"

#include <QFile>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>

namespace ondrix::app {

namespace {

// The process's file creation mask. /proc tells it without changing it; the
// set-and-restore fallback is brief.
mode_t CurrentUmask()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Writes the script whole or not at all, executable as far as the user's
// umask allows, replacing any file of that name.
void WriteScript(const std::filesystem::path& path, const std::string& text)
{
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    if (!platform::wholefile::Replace(folder, path.filename().string(), text, 0755 & ~CurrentUmask()))
        throw platform::SystemErrorFromErrno(errno);
}

} // namespace

void TInstrument::SaveToBatchFile()
{
    const auto fileName = Dialogs().SaveFileName({"Save Batch File", "Shell scripts|*.sh", "sh", {}});
    if (!fileName) return;

    if (services_.ProgramPath.empty()) throw std::runtime_error("The program's own path is unknown");
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    if (error) throw platform::SystemError(error.value());

    const auto script =
        ComposeBatchScript(TBatchSetup::Of(*this, services_.ProgramPath, folder.string()),
                           [this](const QString& text) { return Dialogs().AskYesNoCancel(text); });
    if (script) WriteScript(QFile::encodeName(*fileName).toStdString(), *script);
}

} // namespace ondrix::app
