#include "windows/THelp.h"

#include "platform/SystemError.h"
#include "platform/WholeFile.h"
#include "windows/EntryList.h"
#include "windows/HelpPages.h"
#include "windows/RtfTextDocument.h"
#include "windows/RtfWriter.h"
#include "windows/SearchTerm.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QVBoxLayout>
#include <cerrno>
#include <exception>

namespace ondrix::windows {
namespace {

constexpr int kContentsWidth = 185;

} // namespace

THelp::THelp(WindowServices services) : services_(WithDefaults(std::move(services)))
{
    MakeAuxiliary(*this);
    setWindowTitle(QStringLiteral("Brevant Help"));
    resize(544, 375);

    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* group = new QGroupBox(QStringLiteral("Table Of Contents"), central);
    group->setFixedWidth(kContentsWidth);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(4, 4, 4, 4);
    contents_ = new EntryList(group, [this](int row) { LoadPage(row); });
    contents_->addItems(helppages::ContentsTitles());
    groupLayout->addWidget(contents_);
    layout->addWidget(group);

    view_ = new QTextEdit(central);
    view_->setReadOnly(true);
    view_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view_->setPlainText(QString::fromLatin1(kHintText));
    layout->addWidget(view_, 1);

    setCentralWidget(central);
    BuildMenus();
    BuildViewMenu();
}

void THelp::BuildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->addAction(QStringLiteral("Export"), this, &THelp::Export);
    file->addAction(QStringLiteral("Print"), this, &THelp::Print);
    file->addAction(QStringLiteral("Close"), this, &QWidget::close);
}

void THelp::LoadPage(int index)
{
    try {
        const RtfDocument page = helppages::LoadPage(index + 1);
        FillTextDocument(page, *view_->document());
        view_->moveCursor(QTextCursor::Start);
    } catch (const std::exception& error) {
        services_.showError(error.what());
    }
}

bool THelp::ExportTo(const QString& path)
{
    const std::string rtf = WriteRtf(FromTextDocument(*view_->document()));
    const QFileInfo target(path);
    const std::string folder = QFile::encodeName(target.absolutePath()).toStdString();
    const std::string name = QFile::encodeName(target.fileName()).toStdString();
    if (platform::wholefile::Replace(folder, name, rtf, 0644)) return true;
    const int error = errno;
    services_.showError("Cannot create file \"" + path.toStdString() + "\". " +
                        platform::SystemErrorText(error));
    return false;
}

void THelp::Export()
{
    QFileDialog dialog(this, QStringLiteral("Export"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("Rich Text Format Documents (*.rtf)"));
    dialog.setDefaultSuffix(QStringLiteral("rtf"));
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setWindowModality(Qt::WindowModal); // the main window stays usable
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    ExportTo(dialog.selectedFiles().first());
}

void THelp::PrintTo(QPrinter& printer)
{
    printer.setDocName(QString::fromLatin1(kPrintJobTitle));
    printer.setCreator(QStringLiteral("Ondrix"));
    view_->document()->print(&printer);
}

void THelp::Print()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() == QDialog::Accepted) PrintTo(printer);
}

void THelp::SearchSelection()
{
    const QString selected = view_->textCursor().selection().toPlainText();
    const QByteArray address = QByteArray::fromStdString(SearchAddressFor(selected.toUtf8().toStdString()));
    if (services_.openUrl(QUrl::fromEncoded(address, QUrl::StrictMode))) return;
    auto* box = new QMessageBox(
        QMessageBox::Critical, QStringLiteral("Google"),
        QStringLiteral("No program could be started to open %1").arg(QString::fromLatin1(address)),
        QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void THelp::BuildViewMenu()
{
    viewMenu_ = new QMenu(this);
    viewMenu_->addAction(QStringLiteral("Copy"), view_, &QTextEdit::copy);
    viewMenu_->addAction(QStringLiteral("Google"), this, &THelp::SearchSelection);
    viewMenu_->addAction(QStringLiteral("Select All"), view_, &QTextEdit::selectAll);
    viewMenu_->addAction(QStringLiteral("Cancel")); // only closes the menu
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { viewMenu_->popup(view_->viewport()->mapToGlobal(position)); });
}

} // namespace ondrix::windows
