// The help window: its contents, double clicks, pages that cannot be loaded,
// export (right after start, after a page, to a folder that does not exist),
// printing to a PDF file, and closing.
#include "windows/HelpPages.h"
#include "windows/RtfReader.h"
#include "windows/RtfTextDocument.h"
#include "windows/THelp.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QListWidget>
#include <QMenuBar>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace ondrix::windows {
namespace {

class HelpWindow : public ::testing::Test
{
  protected:
    THelp help{
        {[this](const std::string& error) { errors.push_back(error); }, [](const QUrl&) { return true; }}};
    std::vector<std::string> errors;
    QTemporaryDir folder;

    std::string ReadFile(const QString& path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll().toStdString();
    }

    // As the X server delivers it: a click, then the double click.
    void DoubleClickList(QPoint at)
    {
        QTest::mouseClick(help.Contents().viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(help.Contents().viewport(), Qt::LeftButton, {}, at);
    }

    QPoint RowCentre(int row) { return help.Contents().visualItemRect(help.Contents().item(row)).center(); }
};

TEST_F(HelpWindow, StartsWithContentsAndTheHint)
{
    EXPECT_EQ(help.windowTitle(), "Brevant Help");
    EXPECT_EQ(help.size(), QSize(544, 375));
    QStringList titles;
    for (int row = 0; row < help.Contents().count(); ++row)
        titles << help.Contents().item(row)->text();
    EXPECT_EQ(titles, QStringList({"Using the app", "The common emitter amplifier", "Keyboard Shortcuts",
                                   "Troubleshooting"}));
    EXPECT_EQ(titles, helppages::ContentsTitles());
    EXPECT_EQ(help.findChild<QGroupBox*>()->title(), "Table Of Contents");
    EXPECT_EQ(help.findChild<QGroupBox*>()->width(), 185);
    EXPECT_EQ(help.View().toPlainText(), THelp::kHintText);
    EXPECT_TRUE(help.View().isReadOnly());
    EXPECT_EQ(help.View().horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    const QList<QAction*> menus = help.menuBar()->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0]->text(), "File");
    QStringList entries;
    for (QAction* entry : menus[0]->menu()->actions())
        entries << entry->text();
    EXPECT_EQ(entries, QStringList({"Export", "Print", "Close"}));
}

TEST_F(HelpWindow, DoubleClickLoadsTheSelectedPageAndNothingWithoutASelection)
{
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    DoubleClickList(QPoint(20, help.Contents().viewport()->height() - 5)); // empty area, nothing selected
    EXPECT_EQ(help.View().toPlainText(), THelp::kHintText);

    DoubleClickList(RowCentre(2));
    EXPECT_TRUE(help.View().toPlainText().startsWith("Keyboard Shortcuts\n"));
    DoubleClickList(RowCentre(3));
    EXPECT_TRUE(help.View().toPlainText().startsWith("Troubleshooting Ondrix\n"));
    EXPECT_TRUE(help.View().toPlainText().contains("dialout"));
    EXPECT_TRUE(help.View().toPlainText().contains("/dev/port"));

    // The keyboard moves the selection; a double click anywhere opens it.
    help.Contents().setFocus();
    QTest::keyClick(&help.Contents(), Qt::Key_Home);
    DoubleClickList(QPoint(20, help.Contents().viewport()->height() - 5));
    EXPECT_TRUE(help.View().toPlainText().startsWith("Using the app\n"));
    EXPECT_TRUE(help.View().toPlainText().contains("/loop"));
    EXPECT_TRUE(errors.empty());
}

TEST_F(HelpWindow, PageThatCannotBeLoadedKeepsTheShownOneAndReports)
{
    help.LoadPage(1);
    const QString shown = help.View().toPlainText();
    help.LoadPage(7);
    EXPECT_EQ(help.View().toPlainText(), shown);
    EXPECT_EQ(errors, std::vector<std::string>{"Help page 8 not found"});
}

TEST_F(HelpWindow, ExportRightAfterStartSavesTheHint)
{
    const QString path = folder.filePath("hint.rtf");
    ASSERT_TRUE(help.ExportTo(path));
    const RtfDocument saved = ReadRtf(ReadFile(path));
    ASSERT_EQ(saved.paragraphs.size(), 1u);
    EXPECT_EQ(saved.paragraphs[0].Text(), QString(THelp::kHintText).toStdU16String());
    EXPECT_TRUE(errors.empty());
}

TEST_F(HelpWindow, ExportSavesTheShownPageWholeOrReportsAndWritesNothing)
{
    help.LoadPage(2);
    const QString path = folder.filePath("keys.rtf");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older, longer file that must be replaced completely");
    old.close();
    ASSERT_TRUE(help.ExportTo(path));
    EXPECT_EQ(ReadRtf(ReadFile(path)), helppages::LoadPage(3));

    EXPECT_FALSE(help.ExportTo(folder.filePath("missing/keys.rtf")));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].starts_with("Cannot create file \"")) << errors[0];
    EXPECT_TRUE(errors[0].ends_with("No such file or directory")) << errors[0];
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"keys.rtf"});
}

TEST_F(HelpWindow, ExportAsksForAnRtfFileAndBlocksOnlyTheHelpWindow)
{
    help.show();
    QString seen;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = dialog->defaultSuffix() + "|" + dialog->nameFilters().join(";");
        EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        dialog->reject();
    });
    help.menuBar()->actions().at(0)->menu()->actions().at(0)->trigger();
    EXPECT_EQ(seen, "rtf|Rich Text Format Documents (*.rtf)");
    EXPECT_TRUE(errors.empty());
}

TEST_F(HelpWindow, PrintsOneJobTitledBrevantIndustriesHelp)
{
    help.LoadPage(0);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString path = folder.filePath("help.pdf");
    printer.setOutputFileName(path);
    help.PrintTo(printer);
    const std::string pdf = ReadFile(path);
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_EQ(printer.docName(), THelp::kPrintJobTitle);
    // The title is in the document information as UTF-16 big-endian.
    const QString title = QString::fromLatin1(THelp::kPrintJobTitle);
    QByteArray utf16("\xfe\xff", 2);
    for (QChar c : title) {
        utf16 += char(c.unicode() >> 8);
        utf16 += char(c.unicode() & 0xff);
    }
    EXPECT_TRUE(pdf.find(utf16.toStdString()) != std::string::npos ||
                pdf.find(utf16.toHex().toUpper().toStdString()) != std::string::npos ||
                pdf.find(THelp::kPrintJobTitle) != std::string::npos);
}

TEST_F(HelpWindow, ClosingHidesAndKeepsThePage)
{
    help.show();
    help.LoadPage(2);
    EXPECT_TRUE(help.close());
    EXPECT_TRUE(help.isHidden());
    EXPECT_FALSE(help.testAttribute(Qt::WA_QuitOnClose));
    help.show();
    EXPECT_TRUE(help.View().toPlainText().startsWith("Keyboard Shortcuts"));
}

} // namespace
} // namespace ondrix::windows
