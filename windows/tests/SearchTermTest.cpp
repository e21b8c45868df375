// The web search of the help view's selection: the term's encoding and what
// the help window opens, or shows when nothing could open it.
#include "windows/SearchTerm.h"
#include "windows/THelp.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMessageBox>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace ondrix::windows {
namespace {

TEST(SearchTerm, EncodesByteByByte)
{
    EXPECT_EQ(EncodeSearchTerm("a b&c"), "a+b%26c");
    EXPECT_EQ(EncodeSearchTerm(""), "");
    const std::string kept = "AZaz09!$'()*-.@_";
    EXPECT_EQ(EncodeSearchTerm(kept), kept);
    EXPECT_EQ(EncodeSearchTerm("~+%#?=/\"<>^`{|}[]:;,"),
              "%7E%2B%25%23%3F%3D%2F%22%3C%3E%5E%60%7B%7C%7D%5B%5D%3A%3B%2C");
    // Bytes of 128 and above: the UTF-8 form of the text, in upper-case hexadecimal.
    EXPECT_EQ(EncodeSearchTerm("caf\xc3\xa9 \xe2\x82\xac"), "caf%C3%A9+%E2%82%AC");
    EXPECT_EQ(EncodeSearchTerm("\xff\x80"), "%FF%80");
    // Control characters, the null byte among them.
    EXPECT_EQ(EncodeSearchTerm(std::string("\t\r\n\x01\x7f\0", 6)), "%09%0D%0A%01%7F%00");
    EXPECT_EQ(SearchAddressFor(""), "https://www.google.com/search?q=");
}

class HelpSearch : public ::testing::Test
{
  protected:
    THelp help{{[this](const std::string& error) { errors.push_back(error); },
                [this](const QUrl& url) {
                    opened.push_back(url.toEncoded().toStdString());
                    return opens;
                }}};
    std::vector<std::string> errors;
    std::vector<std::string> opened;
    bool opens = true;

    void Select(int from, int to)
    {
        QTextCursor cursor(help.View().document());
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        help.View().setTextCursor(cursor);
    }
};

TEST_F(HelpSearch, OpensTheEncodedSelection)
{
    help.View().setPlainText(QString::fromUtf8("x a b&c caf\xc3\xa9"));
    Select(2, 7);
    help.SearchSelection();
    Select(8, 12);
    help.SearchSelection();
    Select(0, 0);
    help.SearchSelection();
    EXPECT_EQ(opened, (std::vector<std::string>{"https://www.google.com/search?q=a+b%26c",
                                                "https://www.google.com/search?q=caf%C3%A9",
                                                "https://www.google.com/search?q="}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(HelpSearch, ContextMenuCopiesSelectsAllAndSearches)
{
    help.View().setPlainText("first line\nsecond & last");
    QStringList names;
    for (QAction* action : help.ViewMenu().actions())
        names << action->text();
    ASSERT_EQ(names, QStringList({"Copy", "Google", "Select All", "Cancel"}));
    const QList<QAction*> actions = help.ViewMenu().actions();
    QApplication::clipboard()->clear();
    actions[3]->trigger(); // Cancel changes nothing
    EXPECT_FALSE(help.View().textCursor().hasSelection());
    actions[2]->trigger();
    actions[0]->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "first line\nsecond & last");
    actions[1]->trigger();
    EXPECT_EQ(opened,
              std::vector<std::string>{"https://www.google.com/search?q=first+line%0Asecond+%26+last"});
}

TEST_F(HelpSearch, FailureShowsAMessageBoxCaptionedGoogle)
{
    opens = false;
    help.SearchSelection();
    const QList<QMessageBox*> boxes = help.findChildren<QMessageBox*>();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0]->windowTitle(), "Google");
    EXPECT_EQ(boxes[0]->icon(), QMessageBox::Critical);
    EXPECT_TRUE(boxes[0]->text().contains("https://www.google.com/search?q="));
    boxes[0]->close();
}

} // namespace
} // namespace ondrix::windows
