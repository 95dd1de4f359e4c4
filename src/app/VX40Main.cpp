#include "app/VX40Main.h"
#include "app/LivePanels.h"
#include "core/Widgets.h"

#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/LanguageTexts.h"
#include "core/SettingsFile.h"
#include "core/UiSeams.h"
#include "params/ControllerImage.h"
#include "params/ParameterDefs.h"
#include "params/ValueStore.h"
#include "plans/ReconnectPlan.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>

namespace vx {

namespace {

// The inputs and outputs are the connected controller's: its functions label them once
// known; until then the open set's, as they always did.
qint32 shownPar(int n)
{
    return images::connectedParameter(n, ParWaarden.value(n));
}

void mnemonicPair(QString& first, QString& second, QString& taken)
{
    const QString before = taken;
    first = withMnemonic(first, taken);
    QString other = before;
    second = withMnemonic(second, other);
    for (QChar c : other)
        if (!taken.contains(c)) taken += c;
}

constexpr int kClientWidth = 699;
constexpr int kClientHeight = 413;

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    return label;
}

} // namespace

void TFormMain::setBoxColor(QWidget* box, const QColor& colour)
{
    QPalette p = box->palette();
    // The I/O words come many times a second and mostly unchanged: resolving a palette
    // for every box each time would be most of the live view's work.
    if (p.color(QPalette::Window) == colour && p.color(QPalette::Base) == colour
        && p.brush(QPalette::Window).style() == Qt::SolidPattern)
        return;
    p.setBrush(QPalette::Window, colour);
    p.setBrush(QPalette::Base, colour);
    // Keep the box number readable on blue: judged by brightness as the eye sees it.
    p.setColor(QPalette::WindowText, qGray(colour.rgb()) < 128 ? QColor(Qt::white) : QColor(Qt::black));
    box->setPalette(p);
}

TFormMain::TFormMain(const MainOptions& options, QWidget* parent)
    : QMainWindow(parent), m_options(options)
{
    setObjectName(QStringLiteral("FormMain"));
    app().FormMain = this;
    m_port = new TSXComm(this);
    m_port->setObjectName(QStringLiteral("SXComm1"));
    // Design settings of the port; the settings file overrides them.
    m_port->setFrameParitybit(TParityBit::Odd);
    m_port->setHardware(THardware::PCLabPCL745);
    m_port->setPortType(TPortType::RS485);
    m_port->setTransmitDriver(TTransmitDriver::tdRegister7to1);
    m_port->setReceiveDriver(TReceiveDriver::rdRegister7to2);
    app().SXComm1 = m_port;
    buildControls();
    buildMenu();
    buildComponents();
    FormCreate();
}

TFormMain::~TFormMain()
{
    // Close before the components and the port go, so no hand-over reaches a half-destroyed window.
    try {
        m_port->Close();
    } catch (const EComm&) {
    }
    m_port->OnActivate = nullptr;
    m_port->OnDeactivate = nullptr;
    m_port->OnFastRepliesOff = nullptr;
    if (app().FormMain == this) {
        app().FormMain = nullptr;
        bindHooks(false);
    }
    if (app().SXComm1 == m_port) app().SXComm1 = nullptr;
}

void TFormMain::bindHooks(bool on)
{
    // Set and reset in this one place: the hooks point at this window, and other
    // windows may outlive it (tests make many).
    AppState& s = app();
    const AppState defaults;
    s.unitNumber = on ? std::function<int()>([this] { return SpinEditUnitSelect->value(); }) : defaults.unitNumber;
    s.setUnitNumber = on ? std::function<void(int)>([this](int unit) { SpinEditUnitSelect->setValue(unit); })
                         : defaults.setUnitNumber;
    s.LezenTeksten = on ? std::function<void()>([this] { LezenTeksten(); }) : defaults.LezenTeksten;
    s.TekstFile_Lezen = on ? std::function<void()>([this] { TekstFile_Lezen(); }) : defaults.TekstFile_Lezen;
    s.ParameterDef_lezen = on ? std::function<void()>([this] { ParameterDef_lezen(); }) : defaults.ParameterDef_lezen;
    s.InputFunctieTeksten = on ? std::function<void()>([this] { InputFunctieTeksten(); }) : defaults.InputFunctieTeksten;
    s.OutputFunctieTeksten =
        on ? std::function<void()>([this] { OutputFunctieTeksten(); }) : defaults.OutputFunctieTeksten;
    s.StopPolling = on ? std::function<void()>([this] { StopPolling(); }) : defaults.StopPolling;
}

void TFormMain::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);
    // The layout is laid out in pixels for an 11-pixel UI font; a larger desktop
    // font would cut the translated labels.
    {
        QFont f = client->font();
        f.setPixelSize(11);
        client->setFont(f);
    }

    PanelComInfo = new QLabel(client);
    PanelComInfo->setObjectName(QStringLiteral("PanelComInfo"));
    // Room for three lines: a lost line names its port and device.
    PanelComInfo->setGeometry(8, 4, 258, 40);
    PanelComInfo->setWordWrap(true);
    {
        QPalette p = PanelComInfo->palette();
        p.setColor(QPalette::WindowText, Qt::red);
        PanelComInfo->setPalette(p);
    }

    GroupBoxUnit = new QGroupBox(client);
    GroupBoxUnit->setObjectName(QStringLiteral("GroupBoxUnit"));
    GroupBoxUnit->setGeometry(272, 2, 164, 42);
    CmdSelectUnit = new QPushButton(QStringLiteral("Openen"), GroupBoxUnit);
    CmdSelectUnit->setObjectName(QStringLiteral("CmdSelectUnit"));
    CmdSelectUnit->setGeometry(8, 10, 86, 26);
    SpinEditUnitSelect = new QSpinBox(GroupBoxUnit);
    SpinEditUnitSelect->setObjectName(QStringLiteral("SpinEditUnitSelect"));
    SpinEditUnitSelect->setGeometry(100, 10, 56, 26);
    SpinEditUnitSelect->setRange(0, 31);
    SpinEditUnitSelect->setToolTip(QStringLiteral("VX4x no:"));

    PanelErrorNo = new QLabel(client);
    PanelErrorNo->setObjectName(QStringLiteral("PanelErrorNo"));
    PanelErrorNo->setGeometry(444, 10, 248, 26);
    PanelErrorNo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // A click opens the error help at the number shown.
    PanelErrorNo->setCursor(Qt::PointingHandCursor);
    PanelErrorNo->installEventFilter(this);
    {
        QFont f = PanelErrorNo->font();
        f.setPixelSize(16);
        f.setBold(true);
        PanelErrorNo->setFont(f);
        QPalette p = PanelErrorNo->palette();
        p.setColor(QPalette::WindowText, Qt::red);
        PanelErrorNo->setPalette(p);
    }

    // Inputs: eight inputs, then the two reference inputs.
    GroupBoxIngangen = new QGroupBox(QStringLiteral("Ingangen"), client);
    GroupBoxIngangen->setObjectName(QStringLiteral("GroupBoxIngangen"));
    GroupBoxIngangen->setGeometry(8, 48, 196, 292);
    for (int i = 0; i < 8; ++i) {
        const QString name = (i < 5 ? QStringLiteral("Tb_in%1") : QStringLiteral("TB_in%1")).arg(i + 1);
        const int y = 22 + i * 26;
        TbIn[i] = makeIoBox(GroupBoxIngangen, name, QString::number(i + 1), 10, y, 22);
        LabelFunIn[i] = makeLabel(GroupBoxIngangen, QStringLiteral("LabelFun_in%1").arg(i + 1),
                                  QStringLiteral("Ingang %1").arg(i + 1), QRect(40, y, 150, 20));
    }
    TB_K0_1 = makeIoBox(GroupBoxIngangen, QStringLiteral("TB_K0_1"), QStringLiteral("K0-1"), 10, 238, 40);
    TB_K0_2 = makeIoBox(GroupBoxIngangen, QStringLiteral("TB_K0_2"), QStringLiteral("K0-2"), 10, 264, 40);
    LabelFun_K0_1 = makeLabel(GroupBoxIngangen, QStringLiteral("LabelFun_K0_1"), QStringLiteral("Ref fijn"), QRect(58, 238, 132, 20));
    LabelFun_K0_2 = makeLabel(GroupBoxIngangen, QStringLiteral("LabelFun_K0_2"), QStringLiteral("Ref fijn"), QRect(58, 264, 132, 20));

    // Outputs in two columns of eight.
    GroupBoxUitgangen = new QGroupBox(QStringLiteral("Uitgangen"), client);
    GroupBoxUitgangen->setObjectName(QStringLiteral("GroupBoxUitgangen"));
    GroupBoxUitgangen->setGeometry(210, 48, 250, 242);
    for (int i = 0; i < 16; ++i) {
        const int column = i / 8;
        const int x = 8 + column * 122;
        const int y = 22 + (i % 8) * 26;
        TbUitgang[i] = makeIoBox(GroupBoxUitgangen, QStringLiteral("TbUitgang%1").arg(i + 1), QString::number(i + 1), x, y, 22);
        LabelFunUit[i] = makeLabel(GroupBoxUitgangen, QStringLiteral("LabelFun_uit%1").arg(i + 1),
                                   QStringLiteral("Uitgang %1").arg(i + 1), QRect(x + 28, y, 92, 20));
    }

    // Live values. The labels are a little wider than the design's so German fits.
    GroupBoxActual = new QGroupBox(QStringLiteral("Actual"), client);
    GroupBoxActual->setObjectName(QStringLiteral("GroupBoxActual"));
    GroupBoxActual->setGeometry(466, 48, 226, 184);
    makeLabel(GroupBoxActual, QStringLiteral("LabelKolom1"), QStringLiteral("1"), QRect(104, 18, 56, 16))->setAlignment(Qt::AlignCenter);
    makeLabel(GroupBoxActual, QStringLiteral("LabelKolom2"), QStringLiteral("2"), QRect(164, 18, 56, 16))->setAlignment(Qt::AlignCenter);
    LabelActualPositie = makeLabel(GroupBoxActual, QStringLiteral("LabelActualPositie"), QStringLiteral("Position"), QRect(8, 36, 94, 22));
    LabelActualSnelheid = makeLabel(GroupBoxActual, QStringLiteral("LabelActualSnelheid"), QStringLiteral("Velocity"), QRect(8, 64, 94, 22));
    LabelPosVerschil = makeLabel(GroupBoxActual, QStringLiteral("LabelPosVerschil"), QStringLiteral("Pos verschil"), QRect(8, 92, 94, 22));
    LabelActualSpanning = makeLabel(GroupBoxActual, QStringLiteral("LabelActualSpanning"), QStringLiteral("Voltage"), QRect(8, 120, 94, 22));
    LabelActualStroom = makeLabel(GroupBoxActual, QStringLiteral("LabelActualStroom"), QStringLiteral("Current"), QRect(8, 148, 94, 22));
    PanelActPos1 = makeLivePanel(GroupBoxActual, "PanelActPos1", QRect(104, 36, 56, 22), 13, true);
    PanelActPos2 = makeLivePanel(GroupBoxActual, "PanelActPos2", QRect(164, 36, 56, 22), 13, true);
    PanelSnelheid1 = makeLivePanel(GroupBoxActual, "PanelSnelheid1", QRect(104, 64, 56, 22), 13, true);
    PanelSnelheid2 = makeLivePanel(GroupBoxActual, "PanelSnelheid2", QRect(164, 64, 56, 22), 13, true);
    PanelPosVerschil = makeLivePanel(GroupBoxActual, "PanelPosVerschil", QRect(104, 92, 116, 22), 13, true);
    PanelSpanning = makeLivePanel(GroupBoxActual, "PanelSpanning", QRect(104, 120, 116, 22), 13, true);
    PanelStroom = makeLivePanel(GroupBoxActual, "PanelStroom", QRect(104, 148, 116, 22), 13, true);

    // Polling switches and error reset.
    CmdActual = new QPushButton(QStringLiteral("Actual - ON"), client);
    CmdActual->setObjectName(QStringLiteral("CmdActual"));
    CmdActual->setGeometry(210, 298, 80, 28);
    CmdInUit = new QPushButton(QStringLiteral("I/O  ON"), client);
    CmdInUit->setObjectName(QStringLiteral("CmdInUit"));
    CmdInUit->setGeometry(295, 298, 80, 28);
    CmdResetError = new QPushButton(QStringLiteral("RST SSI Err"), client);
    CmdResetError->setObjectName(QStringLiteral("CmdResetError"));
    CmdResetError->setGeometry(380, 298, 80, 28);
    for (QPushButton* b : {CmdActual, CmdInUit, CmdResetError}) b->setEnabled(false);

    // Terminal.
    GroupBoxTerminal = new QGroupBox(QStringLiteral("Terminal"), client);
    GroupBoxTerminal->setObjectName(QStringLiteral("GroupBoxTerminal"));
    GroupBoxTerminal->setGeometry(466, 236, 226, 150);
    EditZenden = new QLineEdit(GroupBoxTerminal);
    EditZenden->setObjectName(QStringLiteral("EditZenden"));
    EditZenden->setGeometry(8, 22, 132, 26);
    CmdTerminalZenden = new QPushButton(QStringLiteral("Transmit"), GroupBoxTerminal);
    CmdTerminalZenden->setObjectName(QStringLiteral("CmdTerminalZenden"));
    CmdTerminalZenden->setGeometry(146, 22, 72, 26);
    CmdTerminalZenden->setDefault(true);
    CmdTerminalZenden->setEnabled(false);
    MemoReceive = new QPlainTextEdit(GroupBoxTerminal);
    MemoReceive->setObjectName(QStringLiteral("MemoReceive"));
    MemoReceive->setGeometry(8, 54, 210, 88);
    MemoReceive->setReadOnly(true);
    MemoReceive->setEnabled(false);
    {
        QFont f = MemoReceive->font();
        f.setBold(true);
        MemoReceive->setFont(f);
        // Disabled as designed, but the reply must stay readable: black on white.
        QPalette p = MemoReceive->palette();
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            p.setColor(group, QPalette::Text, Qt::black);
            p.setColor(group, QPalette::Base, Qt::white);
        }
        MemoReceive->setPalette(p);
    }
    // Enter in the terminal field sends, as the window's default button would.
    connect(EditZenden, &QLineEdit::returnPressed, CmdTerminalZenden, [this] {
        if (CmdTerminalZenden->isEnabled()) CmdTerminalZenden->click();
    });

    CmdCalibratie = new QPushButton(QStringLiteral("Calibratie"), client);
    CmdCalibratie->setObjectName(QStringLiteral("CmdCalibratie"));
    CmdCalibratie->setGeometry(8, 350, 90, 28);
    CmdCalibratie->setVisible(false);
    connect(CmdCalibratie, &QPushButton::clicked, this, &TFormMain::CmdCalibratieClick);

    // Status bar: six fixed panels.
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    setStatusBar(bar);
    const int widths[6] = {40, 80, 70, 80, 120, 80};
    for (int i = 0; i < 6; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        // The design widths are minimums: identification texts must stay readable.
        panel->setMinimumWidth(widths[i]);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(panel);
        m_status.push_back(panel);
    }

    SimIndicator = new QLabel(QStringLiteral(" SIMULATOR "), bar);
    SimIndicator->setObjectName(QStringLiteral("SimIndicator"));
    SimIndicator->setToolTip(QStringLiteral("Every COM port leads to the built-in simulated controller"));
    SimIndicator->setStyleSheet(QStringLiteral("background:#ffd800; color:black; font-weight:bold;"));
    SimIndicator->setVisible(false);
    bar->addPermanentWidget(SimIndicator);
    // A controller left in calibration mode drives its output by hand: say so while it lasts.
    KalibratieIndicator = new QLabel(bar);
    KalibratieIndicator->setObjectName(QStringLiteral("KalibratieIndicator"));
    KalibratieIndicator->setStyleSheet(QStringLiteral("background:#d00000; color:white; font-weight:bold;"));
    KalibratieIndicator->setVisible(false);
    bar->addPermanentWidget(KalibratieIndicator);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);

    client->setFixedSize(kClientWidth, kClientHeight - 22);
}

QAction* TFormMain::addItem(QMenu* menu, const char* name, const QString& caption, void (TFormMain::*slot)())
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, slot);
    m_items.back().push_back(action);
    return action;
}

void TFormMain::buildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto addMenu = [&](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        m_menus.push_back(m);
        m_items.emplace_back();
        return m;
    };
    auto addSeparator = [&](QMenu* m) {
        QAction* s = m->addSeparator();
        m_items.back().push_back(s);
    };

    QMenu* m = addMenu("File1", QStringLiteral("&File"));
    addItem(m, "Exit1", QStringLiteral("&Afsluiten"), &TFormMain::Exit1Click);

    m = addMenu("Edit1", QStringLiteral("&Edit"));
    addItem(m, "Par11", QStringLiteral("&Parameters"), &TFormMain::Par11Click);
    addItem(m, "Par21", QStringLiteral("&Sollwerten"), &TFormMain::Par21Click);

    m = addMenu("Extra1", QStringLiteral("&Extra"));
    addItem(m, "Serial1", QStringLiteral("&Serieel"), &TFormMain::Serial1Click);
    addItem(m, "ww1", QStringLiteral("&Opties"), &TFormMain::ww1Click);

    m = addMenu("Communicatie1", QStringLiteral("Communicatie"));
    addItem(m, "VX40ontvangen1", QStringLiteral("Parameters + Sollwerten ontvangen"), &TFormMain::VX40ontvangen1Click);
    addSeparator(m);
    addItem(m, "Backup1", QStringLiteral("Backup VX40..."), &TFormMain::Backup1Click);
    addItem(m, "Restore1", QStringLiteral("Restore VX40..."), &TFormMain::Restore1Click);
    addSeparator(m);
    addItem(m, "VX40zoeken1", QStringLiteral("Apparaat zoeken..."), &TFormMain::VX40zoeken1Click);

    m = addMenu("Venster1", QStringLiteral("&Venster"));
    addItem(m, "displaynokken1", QStringLiteral("Nokken info"), &TFormMain::displaynokken1Click);
    addItem(m, "Grafiek1", QStringLiteral("Grafiek"), &TFormMain::Grafiek1Click);
    addItem(m, "Verkeer1", QStringLiteral("Verkeer"), &TFormMain::Verkeer1Click);

    m = addMenu("Help1", QStringLiteral("&Help"));
    addItem(m, "FormAbout", QStringLiteral("&Info"), &TFormMain::FormAboutClick);
    addItem(m, "Errno1", QStringLiteral("Error nummers"), &TFormMain::Errno1Click);

    // Items whose window is not attached yet stay visible but disabled.
    for (auto& items : m_items)
        for (QAction* a : items)
            if (!a->isSeparator() && a->objectName() != QLatin1String("Exit1")) a->setEnabled(false);
}

void TFormMain::setWindowOpener(const QString& actionName, std::function<void()> opener)
{
    m_openers[actionName] = std::move(opener);
    updateConnectionItems();
}

void TFormMain::runOpener(const QString& actionName, bool stopPolling)
{
    auto it = m_openers.find(actionName);
    if (it == m_openers.end() || !it->second) return;
    const AppState& s = app();
    const bool wasActual = s.ActualAan;
    const bool wasIo = s.InUitAan;
    if (stopPolling) StopPolling();
    // A copy: the window may replace its own opener while it runs.
    const std::function<void()> opener = it->second;
    opener();
    if (m_closing) return;
    restorePolling(wasActual, wasIo);
    if (actionName == QLatin1String("Serial1") && !portOpen() && !m_port->Lost()) {
        // Cancel leaves the port closed, as intended; silence must not look like a dead controller.
        PanelComInfo->setText(texts::Main("PanelTekstPoortDicht"));
        PanelComInfo->setToolTip(PanelComInfo->text());
    }
}

void TFormMain::FormCreate()
{
    setWindowTitle(QLatin1String(ApplicationTitle));
    AppState& s = app();
    s.ExeDir = m_options.exeDir.isEmpty() ? QCoreApplication::applicationDirPath() : m_options.exeDir;
    if (!s.ExeDir.endsWith(u'/')) s.ExeDir += u'/';
    bindHooks(true);

    Configfile_lezen();
    TekstFile_Lezen();
    ParameterDef_lezen();
    ParamNo_lezen();
    s.ActualAan = false;
    Disable_checkboxen_status_klemmen();
    m_status[1]->setText(QStringLiteral("Offline"));
    LezenTeksten();
    ParStatus = 0;
    SollStatus = 0;
    images::reset();

    // Only the first argument is looked at, in any case.
    const bool calibrate = !m_options.arguments.isEmpty()
                           && m_options.arguments.constFirst().toLower() == QLatin1String("calibrate");
    CmdCalibratie->setVisible(calibrate);
    SimIndicator->setVisible(s.Simulating);

    Timer1->start();
    adjustSize();
    setFixedSize(sizeHint());
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect r = screen->availableGeometry();
        move(r.center() - rect().center());
    }
}

void TFormMain::TekstFile_Lezen()
{
    loadTaalFile();
}

void TFormMain::ParameterDef_lezen() { vx::ParameterDef_lezen(); }
void TFormMain::ParamNo_lezen() { vx::ParamNo_lezen(); }

void TFormMain::Disable_checkboxen_status_klemmen()
{
    const QColor face = buttonFace();
    for (QLabel* b : TbIn) showIoBox(b, face);
    for (QLabel* b : TbUitgang) showIoBox(b, face);
    showIoBox(TB_K0_1, face);
    showIoBox(TB_K0_2, face);
}

void TFormMain::setIoBoxes(QLabel* const* boxes, int count, int firstBit, qint32 word)
{
    for (int i = 0; i < count; ++i)
        showIoBox(boxes[i], (word >> (firstBit + i)) & 1 ? QColor(0, 0, 255) : QColor(Qt::white));
}

void TFormMain::showIoUnknown(bool inputs)
{
    // Not "off": hatched, with "?" and the reason, until a word is read again.
    const QString why = texts::Main(inputs ? "IngangenOnleesbaar" : "UitgangenOnleesbaar");
    if (inputs) {
        for (QLabel* b : TbIn) showIoBoxUnknown(b, why);
        showIoBoxUnknown(TB_K0_1, why);
        showIoBoxUnknown(TB_K0_2, why);
    } else {
        for (QLabel* b : TbUitgang) showIoBoxUnknown(b, why);
    }
}

void TFormMain::ioFailed(bool inputs)
{
    if (app().InUitAan) showIoUnknown(inputs);
}

void TFormMain::resumeClose()
{
    m_resumingClose = true;
    close();
    m_resumingClose = false;
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    // Unsaved work and a controller left in calibration mode are asked about first.
    const std::size_t first = m_resumingClose ? m_heldBy + 1 : 0;
    m_resumingClose = false;
    for (std::size_t i = first; i < m_closeGuards.size(); ++i) {
        if (!m_closeGuards[i]()) {
            m_heldBy = i;
            event->ignore();
            return;
        }
    }
    m_closing = true;
    Timer1->stop();
    // The port is closed first, so no reply arrives while the files are released.
    try {
        m_port->Close();
    } catch (const EComm& e) {
        showError(this, QLatin1String(ApplicationTitle), e.text());
    }
    AppState& s = app();
    s.ParameterDef.reset();
    s.ParameterDefGeladen = false;
    s.ParamNo.reset();
    s.ParamNoGeladen = false;
    s.TaalFile.reset();
    s.TaalGeladen = false;
    if (!ProgrammaInstellingen_opslaan()) {
        showError(this, QLatin1String(ApplicationTitle),
                  QStringLiteral("The settings could not be saved to\n%1\n\n%2")
                      .arg(QDir::toNativeSeparators(settingsFilePath()), m_saveError));
    }
    event->accept();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == PanelErrorNo && event->type() == QEvent::MouseButtonRelease
        && PanelErrorNo->property("errorNumber").isValid())
        runOpener(QStringLiteral("ErrorHelpAt"));
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::Exit1Click() { close(); }

void TFormMain::Par11Click() { runOpener(QStringLiteral("Par11"), true); }
void TFormMain::Par21Click() { runOpener(QStringLiteral("Par21"), true); }

void TFormMain::Serial1Click() { runOpener(QStringLiteral("Serial1")); }
void TFormMain::ww1Click() { runOpener(QStringLiteral("ww1")); }
void TFormMain::VX40ontvangen1Click() { runOpener(QStringLiteral("VX40ontvangen1")); }
void TFormMain::Backup1Click() { runOpener(QStringLiteral("Backup1")); }
void TFormMain::Restore1Click() { runOpener(QStringLiteral("Restore1")); }
void TFormMain::VX40zoeken1Click() { runOpener(QStringLiteral("VX40zoeken1")); }
void TFormMain::displaynokken1Click() { runOpener(QStringLiteral("displaynokken1")); }

void TFormMain::Grafiek1Click()
{
    Timer1->stop();
    runOpener(QStringLiteral("Grafiek1"));
    Timer1->start();
}

// Non-modal: the polling goes on while it shows.
void TFormMain::Verkeer1Click() { runOpener(QStringLiteral("Verkeer1")); }

void TFormMain::FormAboutClick() { runOpener(QStringLiteral("FormAbout")); }
void TFormMain::Errno1Click() { runOpener(QStringLiteral("Errno1")); }
void TFormMain::CmdCalibratieClick() { runOpener(QStringLiteral("CmdCalibratie")); }

void TFormMain::showCalibrationMode(bool on)
{
    m_calibrationMode = on;
    KalibratieIndicator->setText(u' ' + texts::Main("KalibratieModeAan") + u' ');
    KalibratieIndicator->setToolTip(texts::Main("KalibratieModeAanTip"));
    KalibratieIndicator->setVisible(on);
}

} // namespace vx

namespace vx {

bool TFormMain::portOpen() const
{
    return m_port && m_port->Active();
}

void TFormMain::updateConnectionItems()
{
    const bool open = portOpen();
    for (auto& items : m_items) {
        for (QAction* a : items) {
            if (a->isSeparator()) continue;
            const QString name = a->objectName();
            if (name == QLatin1String("Exit1")) continue;
            const bool attached = m_openers.count(name) > 0;
            const bool needsPort = name == QLatin1String("VX40ontvangen1") || name == QLatin1String("Backup1")
                                   || name == QLatin1String("Restore1");
            a->setEnabled(attached && (!needsPort || open));
        }
    }
}

void TFormMain::LezenTeksten()
{
    AppState& s = app();
    if (s.TaalGeladen) {
        const QString S = QStringLiteral("Main");
        GroupBoxIngangen->setTitle(texts::Main("GroepIngangen"));
        GroupBoxUitgangen->setTitle(texts::Main("GroepUitgangen"));
        GroupBoxActual->setTitle(texts::Main("GroepActual"));
        LabelActualPositie->setText(texts::Main("LabelActualPositie"));
        LabelActualSnelheid->setText(texts::Main("LabelActualSnelheid"));
        LabelActualSpanning->setText(texts::Main("LabelActualSpanning"));
        LabelActualStroom->setText(texts::Main("LabelActualStroom"));
        LabelPosVerschil->setText(texts::Main("LabelPosVerschil"));
        TxtCmdIO_ON = texts::Main("CmdIO_ON");
        TxtCmdIO_OFF = texts::Main("CmdIO_OFF");
        TxtCmdActual_ON = texts::Main("CmdActual_ON");
        TxtCmdActual_OFF = texts::Main("CmdActual_OFF");
        TxtCmdComOpen = texts::Main("CmdComOpen");
        TxtCmdComClose = texts::Main("CmdComClose");
        // The main buttons answer to Alt+letter in every language.
        QString taken;
        mnemonicPair(TxtCmdComOpen, TxtCmdComClose, taken);
        mnemonicPair(TxtCmdActual_ON, TxtCmdActual_OFF, taken);
        mnemonicPair(TxtCmdIO_ON, TxtCmdIO_OFF, taken);
        CmdTerminalZenden->setText(withMnemonic(texts::Main("CmdTerminalZenden"), taken));
        CmdResetError->setText(withMnemonic(texts::Main("CmdResetError"), taken));
        CmdCalibratie->setText(texts::Main("CmdCalibratie"));
        showCalibrationMode(m_calibrationMode);
        TxtPanelTekst0 = texts::Main("PanelTekst0");
        TxtPanelTekst1 = texts::Main("PanelTekst1");

        // Menu texts by position; the two separators of menu 4 stay separators.
        auto setMenu = [&](int menu, const QString& text) { m_menus[menu]->setTitle(text); };
        auto setItem = [&](int menu, int item, const QString& text) { m_items[menu][item]->setText(text); };
        setMenu(0, texts::Main("menuBestand"));
        setItem(0, 0, texts::Main("subAfsluiten"));
        setMenu(1, texts::Main("menuEdit"));
        setItem(1, 0, texts::Main("subParameters"));
        setItem(1, 1, texts::Main("subSollwerten"));
        setMenu(2, texts::Main("menuInstellingen"));
        setItem(2, 0, texts::Main("subInitCom"));
        setItem(2, 1, texts::Main("subOpties"));
        setMenu(3, texts::Main("menuCommunicatie"));
        setItem(3, 0, texts::Main("subParSoll"));
        setItem(3, 2, texts::Main("subBackup"));
        setItem(3, 3, texts::Main("subRestore"));
        setItem(3, 5, texts::Main("subZoeken"));
        m_items[3][1]->setSeparator(true);
        m_items[3][4]->setSeparator(true);
        setMenu(4, texts::Main("menuVenster"));
        setItem(4, 0, texts::Main("subNokkenInfo"));
        setItem(4, 1, texts::Main("subGrafiek"));
        setItem(4, 2, texts::Main("subVerkeer"));
        setMenu(5, texts::Main("menuHelp"));
        setItem(5, 0, texts::Main("subInfo"));
        setItem(5, 1, texts::Main("subErrorNummers"));
    }

    InputFunctieTeksten();
    OutputFunctieTeksten();

    const bool open = portOpen();
    CmdTerminalZenden->setEnabled(open);
    CmdSelectUnit->setText(open ? TxtCmdComClose : TxtCmdComOpen);
    CmdInUit->setText(s.InUitAan ? TxtCmdIO_OFF : TxtCmdIO_ON);
    CmdActual->setText(s.ActualAan ? TxtCmdActual_OFF : TxtCmdActual_ON);
    updateConnectionItems();
}

void TFormMain::InputFunctieTeksten()
{
    AppState& s = app();
    if (s.ParameterDefGeladen) {
        for (int i = 1; i <= 8; ++i) {
            const QStringList items = parOpties(ParInputFunction1 + i - 1);
            // Out of the list (also negative) shows the overflow mark, like the outputs.
            if (!items.isEmpty()) LabelFunIn[i - 1]->setText(optionText(items, shownPar(ParInputFunction1 + i - 1)));
        }
    }
    const QString S = QStringLiteral("Main");
    QString refFijn, ssiJustage, inactief;
    if (s.TaalGeladen) {
        refFijn = texts::Main("K0_RefFijn");
        ssiJustage = texts::Main("K0_SSIJustage");
        inactief = texts::Main("K0_Inactief");
    }
    auto refText = [&](const ReferenceInput& r) {
        if (shownPar(r.mode) == 0 && shownPar(r.fine) != 0) return refFijn;
        const int v = shownPar(r.ssi);
        if (shownPar(r.mode) == 1 && (v == 1 || v == 2 || v == 4)) return ssiJustage;
        return inactief;
    };
    LabelFun_K0_1->setText(refText(ParReference1));
    LabelFun_K0_2->setText(refText(ParReference2));
}

void TFormMain::OutputFunctieTeksten()
{
    if (!app().ParameterDefGeladen) return;
    for (int i = 1; i <= 16; ++i) {
        const QStringList items = parOpties(ParOutputFunction1 + i - 1);
        const qint32 v = shownPar(ParOutputFunction1 + i - 1);
        if (v >= items.size()) LabelFunUit[i - 1]->setText(QLatin1String(OverflowMark));
        else if (!items.isEmpty()) LabelFunUit[i - 1]->setText(optionText(items, v));
    }
}

} // namespace vx
