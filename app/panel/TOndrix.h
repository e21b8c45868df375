#pragma once

#include "app/model/Instrument.h"
#include "app/model/Timer.h"
#include "app/panel/Commands.h"
#include "app/panel/PanelActions.h"
#include "app/startup/Startup.h"

#include <QWidget>
#include <functional>
#include <array>
#include <memory>
#include <set>

class QCheckBox;
class QMenu;

namespace ondrix::app {

class TDisplay;
class TMiniPlot;
class TUpDown;

// The main window: the instrument's front panel. It lays out the controls
// over the panel's artwork and wires each to its command on the instrument;
// the state is the instrument's.
class TOndrix : public QWidget
{
  public:
    static constexpr int kClientWidth = 701;
    static constexpr int kClientHeight = 260;

    explicit TOndrix(TInstrument& instrument, QWidget* parent = nullptr);
    ~TOndrix() override;

    // What start-up asks of the window.
    TWindowHooks Hooks();

    // The power button and a close request from the window manager: the
    // program ends (the owner runs the shutdown).
    std::function<void()> OnPowerOff;

    // Binds a command the instrument does not carry out itself (the help
    // windows, the batch file); menu entries of unbound commands are left out.
    void Bind(TCommand command, std::function<void()> handler);

    // An error nothing else handled: it replaces the status text. When nobody
    // can see the display it also goes to standard error.
    void ShowError(const std::string& message, const std::string& origin);
    bool DisplayVisible() const;

    // The 512 ms refresh of the status text and the mini plot.
    void RefreshDisplay();

    TDisplay& Display() const { return *display_; }
    QMenu& DisplayMenu() const { return *displayMenu_; }
    QMenu& WaveformMenu() const { return *waveformMenu_; }
    QAction* Action(TCommand command) const { return actions_[command]; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void CreateControls();
    void CreateButtons();
    void CreateBoxes();
    void BindInstrumentCommands();
    void BuildMenus();
    void SyncFromInstrument();
    void ClickDisplay();
    void OpenWaveformMenu();
    void CopyStatusToClipboard();
    void ShowCommandLineSyntax();
    void HideAfterStart();
    QCheckBox* ConnectorBox(TInterfaceId id) const;

    TInstrument& instrument_;
    TPanelActions actions_;
    TDisplay* display_ = nullptr;
    std::unique_ptr<TMiniPlot> miniPlot_;
    QCheckBox* activeBox_ = nullptr;
    std::array<QCheckBox*, 5> connectorBoxes_{};
    TUpDown* knob_ = nullptr;
    TUpDown* amplitude_ = nullptr;
    QMenu* displayMenu_ = nullptr;
    QMenu* waveformMenu_ = nullptr;
    std::unique_ptr<TTimer> refreshTimer_;
    std::set<TCommand> externallyBound_;
    bool hiddenOnPurpose_ = false;
    bool poweringOff_ = false;
};

} // namespace ondrix::app
