#pragma once

#include <QString>
#include <optional>

namespace ondrix::app {

enum class TMsgIcon { None, Information, Warning, Error, Question };
enum class TMsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class TMsgResult { Ok, Cancel, Yes, No };

// A file save dialog's set-up. It always asks before overwriting, hides the
// read-only option, leaves the current directory alone and requires an
// existing folder.
struct TSaveDialogOptions
{
    QString Title;
    QString Filter;     // "Wave Files|*.wav": pairs of description and patterns
    QString DefaultExt; // "wav": added to a name typed without one
    QString FileName;   // pre-filled name
};

// Everything the program asks the user. The program shows Qt dialogs; tests
// answer from a script.
class TDialogs
{
  public:
    virtual ~TDialogs() = default;

    // A one-line prompt with a title, a label and pre-filled text. True with
    // `value` replaced by the answer, or false (value unchanged) when cancelled.
    virtual bool InputQuery(const QString& caption, const QString& prompt, QString& value) = 0;

    // A message box; closing it counts as Cancel (or No without Cancel, Ok alone).
    virtual TMsgResult MessageBox(const QString& caption, const QString& text, TMsgIcon icon,
                                  TMsgButtons buttons) = 0;

    // The chosen file name, or nullopt when cancelled.
    virtual std::optional<QString> SaveFileName(const TSaveDialogOptions& options) = 0;

    // A prompt that returns the pre-filled text when cancelled.
    QString InputBox(const QString& caption, const QString& prompt, const QString& defaultText)
    {
        QString value = defaultText;
        return InputQuery(caption, prompt, value) ? value : defaultText;
    }

    // The program's questions: captioned "Ondrix", Yes, No and Cancel.
    TMsgResult AskYesNoCancel(const QString& text)
    {
        return MessageBox("Ondrix", text, TMsgIcon::Question, TMsgButtons::YesNoCancel);
    }
};

} // namespace ondrix::app
