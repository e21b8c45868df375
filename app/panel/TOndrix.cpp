// The main window's layout: every control at its place on the panel.
#include "app/panel/TOndrix.h"

#include "app/model/ErrorReport.h"
#include "app/panel/Display.h"
#include "app/panel/KeyMap.h"
#include "app/panel/MiniPlot.h"
#include "app/panel/PanelArtwork.h"
#include "app/panel/PanelFont.h"
#include "app/widgets/PanelButton.h"
#include "app/widgets/UpDown.h"
#include "graph/EasyGraph.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <iostream>

namespace ondrix::app {

namespace {

struct TButtonPlace
{
    TCommand command;
    QRect geometry;
    const char* name; // the control's object name, for tests and tools
    const char* hint;
};

// Positions and sizes in client pixels.
const TButtonPlace kButtons[] = {
    {TCommand::Power, {280, 72, 25, 25}, "power", "Power: close Ondrix"},
    {TCommand::Record, {312, 72, 25, 25}, "record", "Record the tone to a WAV file (R)"},
    {TCommand::Sweep, {344, 72, 17, 25}, "sweep", "Sweep the sound frequency (click again to stop)"},
    {TCommand::Digit10000, {368, 72, 25, 25}, "digit10000", "10000 Hz"},
    {TCommand::Digit1000, {400, 72, 25, 25}, "digit1000", "1000 Hz ($)"},
    {TCommand::Digit100, {432, 72, 25, 25}, "digit100", "100 Hz (#)"},
    {TCommand::Digit10, {464, 72, 25, 25}, "digit10", "10 Hz (@)"},
    {TCommand::Digit1, {496, 72, 25, 25}, "digit1", "1 Hz (!)"},
    {TCommand::Square, {536, 72, 25, 25}, "square", "Square wave (S)"},
    {TCommand::WaveformMenu, {568, 72, 25, 25}, "waveforms", "Sawtooth, triangle, noise"},
    {TCommand::Sine, {600, 72, 25, 25}, "sine", "Sine wave (~)"},
    {TCommand::EditFrequency, {152, 192, 25, 33}, "edit", "Type the frequency (a formula is fine)"},
    {TCommand::IoAddress, {424, 128, 65, 33}, "ioAddress", "Parallel port address and mask"},
    {TCommand::ComPort, {496, 120, 129, 41}, "comPort", "Serial port"},
};

// Buttons whose caption the panel shows (the others are drawn on the artwork).
bool HasCaption(TCommand command)
{
    return command == TCommand::EditFrequency || command == TCommand::IoAddress || command == TCommand::ComPort;
}

struct TConnectorPlace
{
    TInterfaceId id;
    const char* caption;
    const char* colour;
    int x;
};

const TConnectorPlace kConnectors[] = {
    {TInterfaceId::Audio, "&1", "red", 384},
    {TInterfaceId::Io, "&2", "blue", 448},
    {TInterfaceId::Dtr, "&3", "yellow", 520},
    {TInterfaceId::Rts, "&4", "purple", 584},
};

} // namespace

TOndrix::TOndrix(TInstrument& instrument, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      instrument_(instrument), actions_(this)
{
    setFixedSize(kClientWidth, kClientHeight);
    setFocusPolicy(Qt::StrongFocus);
    CreateControls();
    BindInstrumentCommands();
    instrument_.Changed = [this] { SyncFromInstrument(); };
    SetErrorHandler(this, [this](const std::string& message, const std::string& origin) {
        ShowError(message, origin);
    });
    refreshTimer_ = instrument_.Services().MakeTimer(512, true);
    refreshTimer_->OnTimer = [this] { RefreshDisplay(); };
    const QRegion shape = PanelShape();
    if (!shape.isEmpty()) setMask(shape);
}

TOndrix::~TOndrix()
{
    ClearErrorHandler(this);
    instrument_.Changed = nullptr;
}

void TOndrix::CreateControls()
{
    display_ = new TDisplay(this);
    display_->setObjectName("display");
    display_->setGeometry(64, 72, 209, 73);
    display_->OnClick = [this] { Guarded([this] { ClickDisplay(); }); };
    miniPlot_ = std::make_unique<TMiniPlot>(display_->MiniGraph(), [this](int output) {
        static constexpr TInterfaceId kTimerOutputs[] = {TInterfaceId::Audio, TInterfaceId::Dtr, TInterfaceId::Rts,
                                                         TInterfaceId::Io};
        return instrument_.OutputOn(kTimerOutputs[output]);
    });
    CreateButtons();
    CreateBoxes();

    knob_ = new TUpDown(this, "Frequency");
    knob_->setObjectName("knob");
    knob_->setGeometry(136, 184, 17, 49);
    knob_->OnClick = [this](TUDBtnType button) {
        Guarded([&] { instrument_.StepKnob(button == TUDBtnType::btNext ? TStep::Up : TStep::Down); });
    };
    amplitude_ = new TUpDown(this, "Amplitude");
    amplitude_->setObjectName("amplitude");
    amplitude_->setGeometry(376, 128, 33, 33);
    amplitude_->OnClick = [this](TUDBtnType button) {
        Guarded([&] { instrument_.StepAmplitude(button == TUDBtnType::btNext ? TStep::Up : TStep::Down); });
    };
    BuildMenus();
}

void TOndrix::CreateButtons()
{
    for (const TButtonPlace& place : kButtons) {
        QAction* action = actions_[place.command];
        auto* button = new TPanelButton(this, HasCaption(place.command) ? action->text() : QString(), place.hint);
        button->setObjectName(place.name);
        button->setGeometry(place.geometry);
        button->setFont(CaptionFont());
        // The captions' accelerators (Alt+I, Alt+C) trigger the button.
        if (HasCaption(place.command)) button->setShortcut(QKeySequence::mnemonic(action->text()));
        connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
    }
}

void TOndrix::CreateBoxes()
{
    activeBox_ = new QCheckBox("&Active", this);
    activeBox_->setObjectName("active");
    activeBox_->setGeometry(280, 144, 73, 17);
    activeBox_->setToolTip("Turn on or off selected Interface");
    activeBox_->setFocusPolicy(Qt::NoFocus);
    connect(activeBox_, &QCheckBox::clicked, this,
            [this](bool checked) { Guarded([&] { instrument_.ClickActive(checked); }); });

    for (const TConnectorPlace& place : kConnectors) {
        auto* box = new QCheckBox(place.caption, this);
        box->setObjectName(QString("connector%1").arg(IdNumber(place.id)));
        box->setGeometry(place.x, 208, 33, 17);
        box->setProperty("tag", IdNumber(place.id));
        box->setFocusPolicy(Qt::NoFocus);
        box->setStyleSheet(QString("QCheckBox { color: white; background-color: %1; }").arg(place.colour));
        connect(box, &QCheckBox::clicked, this, [this, id = place.id](bool checked) {
            Guarded([&] { instrument_.ClickConnector(id, checked); });
        });
        connectorBoxes_[IdNumber(place.id)] = box;
    }
}

QCheckBox* TOndrix::ConnectorBox(TInterfaceId id) const
{
    return IsValidInterface(id) ? connectorBoxes_[IdNumber(id)] : nullptr;
}

void TOndrix::SyncFromInstrument()
{
    activeBox_->setChecked(instrument_.ActiveChecked());
    for (TInterfaceId id : kOutputs)
        ConnectorBox(id)->setChecked(instrument_.ConnectorChecked(id));
    actions_[TCommand::Rms]->setChecked(instrument_.VoltmeterType() == TVoltmeterType::Rms);
    actions_[TCommand::Peak]->setChecked(instrument_.VoltmeterType() == TVoltmeterType::Peak);
    actions_[TCommand::PeakToPeak]->setChecked(instrument_.VoltmeterType() == TVoltmeterType::PeakToPeak);
    actions_[TCommand::Continuous]->setChecked(instrument_.Continuous());
}

void TOndrix::RefreshDisplay()
{
    if (instrument_.SelectedInterface() == TInterfaceId::None) return;
    display_->SetStatus(instrument_.StatusText());
    miniPlot_->Refresh(instrument_.ToneGen1.Waveform());
}

void TOndrix::ShowError(const std::string& message, const std::string& origin)
{
    display_->ShowError(QString::fromStdString(message));
    if (!DisplayVisible()) std::cerr << ErrorLine(message, origin) << std::endl;
}

bool TOndrix::DisplayVisible() const
{
    return QGuiApplication::platformName() != "offscreen" && !hiddenOnPurpose_;
}

void TOndrix::HideAfterStart()
{
    hiddenOnPurpose_ = true;
    hide();
}

TWindowHooks TOndrix::Hooks()
{
    TWindowHooks hooks;
    hooks.PrepareMiniGraph = [this] { miniPlot_->Prepare(); };
    hooks.SetCaption = [this](const QString& caption) {
        setWindowTitle(caption);
        QGuiApplication::setApplicationDisplayName(caption);
    };
    hooks.Hide = [this] { HideAfterStart(); };
    hooks.DisplayVisible = [this] { return DisplayVisible(); };
    return hooks;
}

void TOndrix::closeEvent(QCloseEvent* event)
{
    // The window stays until the shutdown has run; the owner ends the program.
    event->ignore();
    if (poweringOff_) return;
    poweringOff_ = true;
    if (OnPowerOff) OnPowerOff();
}

void TOndrix::keyPressEvent(QKeyEvent* event)
{
    // Every key that reaches the window is taken, mapped or not.
    event->accept();
    if (event->text().isEmpty()) return;
    if (const auto command = KeyCommand(event->text().front())) actions_[*command]->trigger();
}

void TOndrix::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintPanel(painter, rect());
}

} // namespace ondrix::app
