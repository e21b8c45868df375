#include "app/TOndrix.h"

#include "app/OndrixApplication.h"

#include <QFont>
#include <QFontDatabase>
#include <QMetaObject>

namespace ondrix::app {

TOndrix* Ondrix = nullptr;

namespace {

QCheckBox* MakeConnectorBox(QWidget* parent, const char* caption, const char* colour, int tag, int x)
{
    auto* box = new QCheckBox(caption, parent);
    box->setGeometry(x, 208, 33, 17);
    box->setProperty("tag", tag);
    box->setStyleSheet(QString("QCheckBox { background-color: %1; }").arg(colour));
    return box;
}

QToolButton* MakeSpeedButton(QWidget* parent, const char* caption, int x, int y, int width, int height)
{
    auto* button = new QToolButton(parent);
    button->setText(caption);
    // The panel's buttons were laid out for a small 8-point face; a desktop's
    // default font would clip captions such as "I/O Address".
    QFont font = button->font();
    font.setPixelSize(11);
    button->setFont(font);
    button->setGeometry(x, y, width, height);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

TOndrix::TOndrix(TOndrixServices services, std::vector<std::string> commandLine, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      services_(std::move(services)), ToneGen1(services_.SoundDevice), MDParser1(this),
      commandLine_(std::move(commandLine))
{
    CreateControls();
    OndrixApplication::SetExceptionHandler(
        this, [this](const std::string& message) { ApplicationEvents1Exception(message); });
}

TOndrix::~TOndrix()
{
    OndrixApplication::ClearExceptionHandler(this);
    StopWaiters();
    for (TTimer* timer : {Timer1, Timer2, Timer3, Timer6})
        timer->SetEnabled(false);
    FormDestroy();
    if (Ondrix == this) Ondrix = nullptr;
}

void TOndrix::CreateControls()
{
    setFixedSize(kClientWidth, kClientHeight);

    Panel1 = new TPanel(this);
    Panel1->setGeometry(64, 72, 209, 73);
    Panel1->setAutoFillBackground(true);
    Panel1->setStyleSheet("background-color: black; color: white;");
    QFont terminal = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    terminal.setPixelSize(11);
    Panel1->setFont(terminal);
    Panel1->setContentsMargins(2, 0, 0, 0);
    Panel1->OnClick = [this] { OndrixApplication::Guarded([this] { Panel1Click(); }); };

    Label1 = new TLabel(Panel1);
    Label1->setGeometry(8, 8, 128, 60);
    Label1->SetCaption("Brevant Ondrix");
    Label1->OnClick = Panel1->OnClick;

    CheckBox1 = MakeConnectorBox(this, "&1", "red", ifAudio, 384);
    CheckBox2 = MakeConnectorBox(this, "&2", "blue", ifIo, 448);
    CheckBox3 = MakeConnectorBox(this, "&3", "yellow", ifDtr, 520);
    CheckBox4 = MakeConnectorBox(this, "&4", "purple", ifRts, 584);
    for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3, CheckBox4})
        connect(box, &QCheckBox::clicked, this,
                [this, box] { OndrixApplication::Guarded([this, box] { CheckBox1Click(box); }); });

    CheckBox5 = new QCheckBox("&Active", this);
    CheckBox5->setGeometry(280, 144, 73, 17);
    CheckBox5->setToolTip("Turn on or off selected Interface");
    connect(CheckBox5, &QCheckBox::clicked, this,
            [this] { OndrixApplication::Guarded([this] { CheckBox5Click(); }); });

    SpeedButton1 = MakeSpeedButton(this, "&COMPort", 496, 120, 129, 41);
    connect(SpeedButton1, &QToolButton::clicked, this,
            [this] { OndrixApplication::Guarded([this] { SpeedButton1Click(); }); });
    SpeedButton3 = MakeSpeedButton(this, "&I/O Address", 424, 128, 65, 33);
    connect(SpeedButton3, &QToolButton::clicked, this,
            [this] { OndrixApplication::Guarded([this] { SpeedButton3Click(); }); });

    CreateAmplitudeControl();
    CreateVoltmeterMenuItems();

    // The port toggles have no interval until a frequency is given.
    Timer1 = new TTimer(this, 0, false);
    Timer1->OnTimer = [this] { Timer1Timer(); };
    Timer2 = new TTimer(this, 0, false);
    Timer2->OnTimer = [this] { Timer2Timer(); };
    Timer3 = new TTimer(this, 0, false);
    Timer3->OnTimer = [this] { Timer3Timer(); };
    Timer6 = new TTimer(this, 1, false);
    Timer6->OnTimer = [this] { Timer6Timer(); };
}

void TOndrix::ApplicationEvents1Exception(const std::string& message)
{
    Label1->hide();
    Panel1->SetCaption(QString::fromUtf8(message.c_str()));
}

void TOndrix::Panel1Click()
{
    Label1->show();
    Panel1->SetCaption(QString());
    // [front panel] The display's menu opens here, at the mouse cursor.
}

void TOndrix::Timer6Timer()
{
    hide();
    Timer6->SetEnabled(false);
}

void TOndrix::StartWaiter(std::int32_t n)
{
    // The shutdown runs on the GUI thread, between two handlers, so it never
    // releases a port under a running tick.
    auto finished = [this] {
        QMetaObject::invokeMethod(
            this, [this] { Quit(2); }, Qt::QueuedConnection);
    };
    waiters_.push_back(std::make_unique<TWaiter>(n, services_.Atoms, AtomTableKey, std::move(finished)));
}

void TOndrix::StopWaiters()
{
    for (auto& waiter : waiters_)
        waiter->Stop();
}

void TOndrix::Quit(int exitCode)
{
    if (exitCode_) return;
    exitCode_ = exitCode;
    StopWaiters();
    for (TTimer* timer : {Timer1, Timer2, Timer3, Timer6})
        timer->SetEnabled(false);
    OndrixApplication::Guarded([this] { FormDestroy(); });
    if (services_.EndProcess) services_.EndProcess(exitCode);
}

} // namespace ondrix::app
