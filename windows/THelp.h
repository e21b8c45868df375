#pragma once

#include "windows/WindowServices.h"

#include <QMainWindow>

class QListWidget;
class QMenu;
class QPrinter;
class QTextEdit;

namespace ondrix::windows {

// The program's manual: the table of contents on the left, the page on the
// right; File menu Export, Print, Close; the page's context menu Copy, Google,
// Select All, Cancel.
class THelp : public QMainWindow
{
  public:
    static constexpr const char* kHintText = "Double click on a page in the Table Of Contents";
    static constexpr const char* kPrintJobTitle = "Brevant Industries Help";

    explicit THelp(WindowServices services);

    // Loads the page of contents line index (0-based); a page that cannot be
    // loaded leaves the shown one and reports the error.
    void LoadPage(int index);
    // Writes the shown page as RTF, whole or not at all; false (error reported) on failure.
    bool ExportTo(const QString& path);
    void PrintTo(QPrinter& printer);
    // Opens the web search for the selected text.
    void SearchSelection();

    QListWidget& Contents() { return *contents_; }
    QTextEdit& View() { return *view_; }
    // The page's context menu: Copy, Google, Select All, Cancel.
    QMenu& ViewMenu() { return *viewMenu_; }

  private:
    void BuildMenus();
    void Export();
    void Print();
    void BuildViewMenu();

    WindowServices services_;
    QListWidget* contents_ = nullptr;
    QTextEdit* view_ = nullptr;
    QMenu* viewMenu_ = nullptr;
};

} // namespace ondrix::windows
