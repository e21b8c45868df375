#include "app/dialogs/QtDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>

namespace ondrix::app {

namespace {

// "Wave Files|*.wav|All|*.*" → "Wave Files (*.wav);;All (*.*)"
QString QtFilter(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    return filters.join(";;");
}

} // namespace

bool TQtDialogs::InputQuery(const QString& caption, const QString& prompt, QString& value)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(owner_, caption, prompt, QLineEdit::Normal, value, &ok);
    if (ok) value = answer;
    return ok;
}

TMsgResult TQtDialogs::MessageBox(const QString& caption, const QString& text, TMsgIcon icon,
                                  TMsgButtons buttons)
{
    QMessageBox box(owner_);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case TMsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case TMsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case TMsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case TMsgIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case TMsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    QMessageBox::StandardButton closed = QMessageBox::Cancel;
    switch (buttons) {
    case TMsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        closed = QMessageBox::Ok;
        break;
    case TMsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case TMsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        closed = QMessageBox::No;
        break;
    case TMsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    box.setEscapeButton(closed);
    const int answer = box.exec();
    switch (answer) {
    case QMessageBox::Ok:
        return TMsgResult::Ok;
    case QMessageBox::Yes:
        return TMsgResult::Yes;
    case QMessageBox::No:
        return TMsgResult::No;
    default:
        // Closed without a button (or the program is quitting).
        return closed == QMessageBox::Ok   ? TMsgResult::Ok
               : closed == QMessageBox::No ? TMsgResult::No
                                           : TMsgResult::Cancel;
    }
}

std::optional<QString> TQtDialogs::SaveFileName(const TSaveDialogOptions& options)
{
    QFileDialog dialog(owner_, options.Title, QString(), QtFilter(options.Filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setDefaultSuffix(options.DefaultExt);
    if (!options.FileName.isEmpty()) dialog.selectFile(options.FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString name = dialog.selectedFiles().front();
    if (!QFileInfo(name).absoluteDir().exists()) return std::nullopt;
    return name;
}

} // namespace ondrix::app
