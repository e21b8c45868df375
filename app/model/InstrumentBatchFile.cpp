// "Save To Batch File": the set-up saved as a shell script.
#include "app/model/BatchScript.h"
#include "app/model/Instrument.h"
#include "platform/SystemError.h"
#include "platform/SafeWrite.h"

#include <QFile>
#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace ondrix::app {

namespace {

// Writes the script whole or not at all; a new one is executable as far as
// the user's umask allows.
void WriteScript(const std::string& path, const std::string& text)
{
    const platform::WriteOutcome written = platform::WriteFileSafely(path, text, 0755);
    if (!written) throw platform::SystemError(written.error);
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
