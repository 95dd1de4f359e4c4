// The main window as live monitor: connection, identification, live values, I/O,
// error number and the terminal.
#include "app/LivePanels.h"
#include "app/TerminalPanel.h"
#include "app/VX40Main.h"
#include "core/Widgets.h"
#include "device/ControllerLine.h"
#include "device/LiveMonitor.h"

#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "comm/SerialLine.h"
#include "comm/TrafficLogFile.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "device/CommandSet.h"
#include "params/ControllerImage.h"
#include "params/FixedPoint.h"
#include "params/ValueStore.h"
#include "plans/AsyncRunner.h"
#include "plans/ReconnectPlan.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <utility>

namespace vx {

namespace {

const QColor kLightYellow(255, 255, 151);
constexpr int kReconnectIntervalMs = 250;

bool valueShown(int which, int channel)
{
    return TLiveMonitor::polled(TLiveMonitor::Value(which), channel);
}

bool isTheActiveWindow(QWidget* w)
{
    return w && QApplication::activeWindow() == w;
}

QString lineSettingsText(const TSXComm& p)
{
    const char parity = p.FrameParitybit() == TParityBit::None ? 'N' : p.FrameParitybit() == TParityBit::Even ? 'E'
                                                                                                              : 'O';
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baudrateValue(p.Baudrate()))
        .arg(QLatin1Char(parity))
        .arg(p.FrameDatabits() == TDataBit::db_7 ? 7 : 8)
        .arg(p.FrameStopbits() == TStopBit::sb_1 ? 1 : 2);
}

} // namespace

void TFormMain::buildComponents()
{
    TSXComm* p = m_port;
    // Made before the live monitor's components, so it goes before them.
    m_connect = new plans::AsyncRunner(this);
    m_connect->setObjectName(QStringLiteral("ConnectRunner"));
    m_live = new TLiveMonitor(p, this);
    m_connect->setPort(p);
    m_connect->setChannel(plans::SelectPlan::SelectChannel, m_live->PX400UnitSelect);
    m_connect->setChannel(plans::SelectPlan::IdentChannel, m_live->PX400TypeInfo);
    connect(m_connect, &plans::AsyncRunner::progressed, this, &TFormMain::connectProgressed);
    connect(m_connect, &plans::AsyncRunner::finished, this, &TFormMain::connectFinished);

    p->OnActivate = [this](TSXComm*) { SXComm1Activate(); };
    p->OnDeactivate = [this](TSXComm*) { SXComm1Deactivate(); };
    p->OnLineLost = [this](TSXComm*) { SXComm1LineLost(); };
    p->OnFastRepliesOff = [this](TSXComm*) {
        PanelComInfo->setText(texts::Main("SnelleAntwoordenUit"));
        PanelComInfo->setToolTip(PanelComInfo->text());
    };

    m_live->OnCommError = [this](const TCommError& e) { PX400UnitSelectComError(e); };
    m_terminal = new TerminalPanel(this, EditZenden, CmdTerminalZenden, GroupBoxTerminal, p,
                                   m_live->PX400Protocol1->objectName());

    // Live values: a reply counts only while polling is on; any error shows "?".
    m_live->OnValue = [this](TLiveMonitor::Value which, std::optional<qint32> v) {
        // Until the decimals are known a value would show unscaled, then jump.
        if (!app().ActualAan || !m_scalingToRead.empty()) return;
        QLabel* panel = valuePanel(which);
        // Too long, cut, another command's or no number: all equally unreadable.
        if (!v) {
            showPanelText(panel, QStringLiteral("????"));
            return;
        }
        const bool analogue = which == TLiveMonitor::Spanning || which == TLiveMonitor::Stroom;
        const QString unit = which == TLiveMonitor::Spanning ? QStringLiteral(" V")
                             : which == TLiveMonitor::Stroom ? QStringLiteral(" mA")
                                                             : QString();
        showPanelText(panel, FixedToText(analogue ? 4 : images::connectedDecimals(), *v) + unit);
    };
    m_live->OnValueFailed = [this](TLiveMonitor::Value which) { showPanelText(valuePanel(which), QStringLiteral("?")); };

    m_live->OnInputs = [this](qint32 word) {
        if (!app().InUitAan) return;
        QLabel* const refs[2] = {TB_K0_1, TB_K0_2};
        setIoBoxes(refs, 2, 0, word);
        setIoBoxes(TbIn, 8, 2, word);
    };
    m_live->OnOutputs = [this](qint32 word) {
        if (app().InUitAan) setIoBoxes(TbUitgang, 16, 0, word);
    };
    m_live->OnIoUnreadable = [this](bool inputs) { ioFailed(inputs); };
    m_live->OnErrorNumber = [this](bool noError, const QString& value) {
        PanelComInfo->clear();
        if (noError) {
            PanelErrorNo->clear();
            PanelErrorNo->setProperty("errorNumber", QVariant());
            return;
        }
        // Name the type that answered: a VX51 must not read as a VX50.
        const QString type = app().ApparaatType.startsWith(QLatin1String("VX")) ? app().ApparaatType
                                                                                : QStringLiteral("VX50");
        PanelErrorNo->setText(type + QStringLiteral("... Error: ") + value);
        PanelErrorNo->setProperty("errorNumber", value.trimmed().toInt());
        if (ErrorIndicator == QLatin1String(". . . . . . ")) ErrorIndicator.clear();
        ErrorIndicator += QStringLiteral(". ");
        m_status[5]->setText(ErrorIndicator);
    };
    m_live->OnTerminalReply = [this](const QByteArray& reply) {
        PanelComInfo->clear();
        MemoReceive->setPlainText(QString::fromLatin1(reply));
    };

    // A failing input or output request greys its boxes: they no longer show the truth.
    for (const bool inputs : {true, false}) {
        TPX400Protocol* c = inputs ? m_live->PX400_in : m_live->PX400_uit;
        auto previous = c->OnCommError;
        c->OnCommError = [this, previous, inputs](TSXProtocolComponent* sender, const TCommError& e, const QByteArray& r) {
            if (previous) previous(sender, e, r);
            if (!e.isZero()) ioFailed(inputs);
        };
    }

    connect(CmdSelectUnit, &QPushButton::clicked, this, &TFormMain::CmdSelectUnitClick);
    connect(SpinEditUnitSelect, &QSpinBox::editingFinished, this, &TFormMain::unitBoxChanged);
    connect(CmdActual, &QPushButton::clicked, this, &TFormMain::ActualActief);
    connect(CmdInUit, &QPushButton::clicked, this, &TFormMain::InUitActief);
    connect(CmdResetError, &QPushButton::clicked, this, &TFormMain::CmdResetErrorClick);
    connect(CmdTerminalZenden, &QPushButton::clicked, this, &TFormMain::CmdTerminalZendenClick);
    connect(Timer1, &QTimer::timeout, this, &TFormMain::Timer1Timer);
    m_scalingComponent = makeControllerComponent(this, "PX400LeesSchaal", 0, p);
    m_scalingComponent->OnCommResult = [this](TSXProtocolComponent*, const QByteArray& reply) {
        if (m_scalingToRead.empty()) return;
        const cmd::CheckedReply r = cmd::checkReply(m_scalingComponent->ASCIIProtocol(), reply);
        liveScalingRead(r.ok() ? r.number : std::nullopt);
    };
    m_scalingComponent->OnCommError = [this](TSXProtocolComponent*, const TCommError& e, const QByteArray&) {
        if (!e.isZero() && !m_scalingToRead.empty()) liveScalingRead(std::nullopt);
    };
    TimerReconnect = new QTimer(this);
    TimerReconnect->setObjectName(QStringLiteral("TimerReconnect"));
    TimerReconnect->setInterval(kReconnectIntervalMs);
    connect(TimerReconnect, &QTimer::timeout, this, &TFormMain::TimerReconnectTimer);
}

void TFormMain::identified(int step, const std::optional<QString>& text)
{
    m_status[2 + step]->setText(text.value_or(QStringLiteral("????")));
    m_ident[step] = text.value_or(QString());
    setTrafficLogController(m_ident[0] + u' ' + m_ident[2]);
    if (!m_reconnecting) {
        QStringList parts;
        for (const int i : {0, 2})
            if (!m_ident[i].trimmed().isEmpty()) parts << m_ident[i].trimmed();
        app().ApparaatIdent = parts.join(QStringLiteral(", "));
        app().ApparaatRt = m_ident[0].trimmed();
        app().ApparaatRx = m_ident[2].trimmed();
    }
    const AppState& s = app();
    if (step == 0 && text && !m_reconnecting && s.ApparaatType != QLatin1String("VX50")
        && s.ApparaatType != QLatin1String("VX51") && s.TaalGeladen) {
        showWarning(this, texts::Main("Msg_waarschuwingCaption"), texts::Main("Msg_Melding_Geen_VX50"));
    }
}

void TFormMain::runSelect()
{
    m_connect->cancel();
    m_selectedUnit = SpinEditUnitSelect->value();
    m_selectPlan = std::make_unique<plans::SelectPlan>(SpinEditUnitSelect->value());
    images::setConnected(m_port->displayName(), SpinEditUnitSelect->value());
    m_connectRunning = m_selectPlan.get();
    m_connect->run(m_selectPlan.get());
}

void TFormMain::unitBoxChanged()
{
    // Another unit in the box is another controller: select and identify it before
    // anything of it is shown, so the box and the screen name the same unit.
    if (!portOpen() || m_reconnecting || SpinEditUnitSelect->value() == m_selectedUnit) return;
    const AppState& s = app();
    m_resumeActual = m_resumeActual || s.ActualAan;
    m_resumeIo = m_resumeIo || s.InUitAan;
    StopPolling();
    PanelErrorNo->clear();
    for (int i = 2; i <= 4; ++i) m_status[i]->clear();
    runSelect();
}

void TFormMain::selectAgain()
{
    if (!portOpen() || m_reconnecting) return;
    m_selectedUnit = -1;
    unitBoxChanged();
}

void TFormMain::lineUsedBy(const QString& text)
{
    PanelComInfo->setText(text);
    PanelComInfo->setToolTip(text);
}

void TFormMain::startReconnect()
{
    plans::ReconnectTarget t;
    t.path = QString::fromStdString(m_port->devicePath());
    t.byId = m_lostById;
    t.unit = SpinEditUnitSelect->value();
    for (int i = 0; i < 3; ++i)
        if (!m_identBeforeLoss[i].isEmpty()) t.before.at(i) = m_identBeforeLoss[i];
    t.intervalMs = kReconnectIntervalMs;
    m_connect->cancel();
    m_reconnectPlan = std::make_unique<plans::ReconnectPlan>(t);
    m_reconnecting = true;
    TimerReconnect->start();
    m_connectRunning = m_reconnectPlan.get();
    m_connect->run(m_reconnectPlan.get());
}

void TFormMain::connectProgressed()
{
    const plans::SelectPlan* sel = m_connectRunning == m_selectPlan.get() ? m_selectPlan.get()
                                   : m_reconnectPlan && m_connectRunning == m_reconnectPlan.get()
                                       ? m_reconnectPlan->selecting()
                                       : nullptr;
    if (!sel) return;
    if (sel->justSelected()) PanelComInfo->clear();
    const int step = sel->justIdentified();
    if (step < 0) return;
    const std::optional<QString>& text = sel->identity().at(step);
    AppState& s = app();
    if (step == 0) s.ApparaatType = text ? cmd::controllerType(*text) : QString();
    s.TypeInfoStap = std::min(step + 1, 2);
    identified(step, text);
}

void TFormMain::connectFinished()
{
    plans::Plan* done = m_connectRunning;
    m_connectRunning = nullptr;
    if (done && done == m_selectPlan.get()) {
        const auto state = m_selectPlan->state();
        if (state == plans::SelectPlan::State::SelectFailed) {
            m_resumeActual = m_resumeIo = false;
            PX400UnitSelectComError(m_selectPlan->failure().error);
        } else if (state == plans::SelectPlan::State::Identified || state == plans::SelectPlan::State::IdentFailed) {
            // Polling waits for the decimals and channel too (liveScalingRead resumes it).
            m_resumeAfterScaling = true;
            readLiveScaling();
        }
    } else if (done && done == m_reconnectPlan.get()) {
        const auto state = m_reconnectPlan->state();
        if (state == plans::ReconnectPlan::State::Same || state == plans::ReconnectPlan::State::Different)
            reconnectIdentified();
    }
}

int TFormMain::liveChannel() const
{
    return images::connectedParameter(ParAnalogueChannel, 0);
}

QLabel* TFormMain::valuePanel(int which) const
{
    QLabel* const panels[] = {PanelActPos1, PanelActPos2, PanelPosVerschil, PanelSnelheid1,
                              PanelSnelheid2, PanelSpanning, PanelStroom};
    return panels[which];
}

void TFormMain::showOpenError(const QString& text)
{
    // A port that leads nowhere: say which device is missing and what to check.
    const QString path = QString::fromStdString(m_port->devicePath());
    QString shown = text;
    if (path.startsWith(u'/') && !QFileInfo::exists(path))
        shown = texts::Main("Msg_ApparaatOntbreekt").arg(m_port->displayName(), path) + QStringLiteral("\n\n") + text;
    showError(this, QLatin1String(ApplicationTitle), shown);
}

void TFormMain::CmdSelectUnitClick()
{
    // While a lost line is awaited the button gives up on it, like a disconnect.
    TimerReconnect->stop();
    m_connect->cancel();
    m_reconnecting = false;
    if (!m_port->Active() && !m_port->Lost()) {
        try {
            m_port->Open();
        } catch (const EComm& e) {
            showOpenError(e.text());
        }
        return;
    }
    try {
        m_port->Close();
    } catch (const EComm& e) {
        showError(this, QLatin1String(ApplicationTitle), e.text());
    }
    AppState& s = app();
    s.ActualAan = false;
    // Keep the button's caption true to the flag just cleared.
    CmdActual->setText(TxtCmdActual_ON);
}

void TFormMain::SXComm1Activate()
{
    PanelComInfo->clear();
    PanelComInfo->setToolTip(QString());
    CmdSelectUnit->setText(TxtCmdComClose);
    for (QWidget* w : {static_cast<QWidget*>(CmdTerminalZenden), static_cast<QWidget*>(CmdResetError),
                       static_cast<QWidget*>(CmdActual), static_cast<QWidget*>(CmdInUit)})
        w->setEnabled(true);
    m_status[0]->setText(m_port->displayName());
    m_status[1]->setText(lineSettingsText(*m_port));
    TimerReconnect->stop();
    if (!m_reconnecting) {
        // Remember the adapter by its stable name, should it come back under another.
        m_lostDevice = QString::fromStdString(m_port->devicePath());
        m_lostById = byIdNameOf(m_lostDevice);
    }
    app().TypeInfoStap = 0;
    if (isTheActiveWindow(app().FormApparaatZoeken)) {
        // The search identifies for itself.
        m_connect->cancel();
        m_reconnecting = false;
    } else if (!m_reconnecting) {
        runSelect();
    } // else the reconnect plan that opened the port selects and identifies next
    updateConnectionItems();
}

void TFormMain::SXComm1Deactivate()
{
    m_resumeActual = m_resumeIo = false;
    m_resumeAfterScaling = false;
    m_scalingToRead.clear();
    TimerReconnect->stop();
    m_connect->cancel();
    m_reconnecting = false;
    PanelErrorNo->clear();
    PanelComInfo->clear();
    PanelComInfo->setToolTip(QString());
    CmdTerminalZenden->setEnabled(false);
    CmdSelectUnit->setText(TxtCmdComOpen);
    CmdResetError->setEnabled(false);
    CmdActual->setEnabled(false);
    CmdInUit->setEnabled(false);
    m_status[0]->clear();
    m_status[1]->setText(QStringLiteral("Offline"));
    for (int i = 2; i <= 5; ++i) m_status[i]->clear();
    const QColor face = buttonFace();
    for (QLabel* panel : {PanelActPos1, PanelActPos2, PanelPosVerschil, PanelSnelheid1, PanelSnelheid2,
                          PanelSpanning, PanelStroom}) {
        showPanelText(panel, QString());
        setBoxColor(panel, face);
    }
    Disable_checkboxen_status_klemmen();
    // Nothing is polled on a closed port: the flags and captions must not say otherwise.
    StopPolling();
    updateConnectionItems();
}

void TFormMain::readLiveScaling()
{
    // The controller's own decimals and channel scale what it sends; they go into its
    // image, never into the set an editor holds.
    m_scalingToRead = {ParAnalogueChannel, ParDecimalsParameter};
    m_scalingComponent->setASCIIProtocol(cmd::readPar(m_scalingToRead.back()));
    m_scalingComponent->Send();
}

void TFormMain::liveScalingRead(const std::optional<qint32>& value)
{
    const int number = m_scalingToRead.back();
    m_scalingToRead.pop_back();
    if (value) {
        const int channelBefore = liveChannel();
        if (ControllerImage* image = images::connectedImage())
            image->read(transfer::Item::Parameter, number, *value);
        // Polling already on polls the channel the controller uses.
        if (number == ParAnalogueChannel && channelBefore != liveChannel() && app().ActualAan) {
            ActualActief();
            ActualActief();
        }
    }
    if (!value) m_scalingToRead.clear(); // no answer: the rest would fare no better
    if (m_scalingToRead.empty()) {
        if (std::exchange(m_resumeAfterScaling, false))
            restorePolling(std::exchange(m_resumeActual, false), std::exchange(m_resumeIo, false));
        return;
    }
    m_scalingComponent->setASCIIProtocol(cmd::readPar(m_scalingToRead.back()));
    m_scalingComponent->Send();
}

void TFormMain::restorePolling(bool wasActual, bool wasIo)
{
    const AppState& s = app();
    // Nothing is polled before the controller is identified and its decimals read: a
    // value must never show under another unit's name or scale.
    if (m_reconnecting || m_connectRunning || m_resumeAfterScaling || (m_port->Lost() && AutomatischVerbinden)) {
        // The reconnect resumes what was on; what the window stopped belongs to it too.
        m_resumeActual = m_resumeActual || (wasActual && !s.ActualAan);
        m_resumeIo = m_resumeIo || (wasIo && !s.InUitAan);
        return;
    }
    if (!portOpen()) return;
    if (wasActual && !s.ActualAan) ActualActief();
    if (wasIo && !s.InUitAan) InUitActief();
}

QString TFormMain::lostText() const
{
    return texts::Main("PanelTekstVerloren").arg(m_port->displayName(), m_lostDevice);
}

void TFormMain::SXComm1LineLost()
{
    // A loss while a reconnect is still being identified keeps the older identity.
    if (!m_reconnecting) {
        for (int i = 0; i < 3; ++i) m_identBeforeLoss[i] = m_ident[i];
    }
    m_reconnecting = false;
    m_connect->cancel();
    PanelErrorNo->clear();
    PanelComInfo->setText(lostText());
    PanelComInfo->setToolTip(PanelComInfo->text());
    CmdSelectUnit->setText(TxtCmdComClose);
    for (QWidget* w : {static_cast<QWidget*>(CmdTerminalZenden), static_cast<QWidget*>(CmdResetError),
                       static_cast<QWidget*>(CmdActual), static_cast<QWidget*>(CmdInUit)})
        w->setEnabled(false);
    m_status[1]->setText(texts::Main("StatusVerloren"));
    // Nothing on screen may look live: the polled panels say "?", the boxes go grey.
    const AppState& s = app();
    if (s.ActualAan) {
        const int channel = liveChannel();
        for (int i = 0; i < TLiveMonitor::ValueCount; ++i) {
            if (valueShown(i, channel)) showPanelText(valuePanel(i), QStringLiteral("?"));
        }
    }
    showIoUnknown(true);
    showIoUnknown(false);
    updateConnectionItems();
    if (AutomatischVerbinden) startReconnect();
}

void TFormMain::TimerReconnectTimer()
{
    // The reconnect plan waits and tries by itself; this gives up on it once the
    // option is switched off, or stops once the port is no longer lost.
    if (m_port->Lost() && AutomatischVerbinden) return;
    TimerReconnect->stop();
    if (m_port->Lost()) {
        m_connect->cancel();
        m_reconnecting = false;
    }
}

void TFormMain::reconnectIdentified()
{
    if (!m_reconnectPlan->selecting()) return;
    if (m_reconnectPlan->state() != plans::ReconnectPlan::State::Same) {
        // Another controller: nothing more goes to it until the user says so.
        const QString was = m_identBeforeLoss[0] + QStringLiteral(", ") + m_identBeforeLoss[2];
        const QString now = m_ident[0] + QStringLiteral(", ") + m_ident[2];
        const bool goOn =
            askYesNo(this, texts::Main("Msg_waarschuwingCaption"), texts::Main("Msg_AndereBesturing").arg(now, was));
        m_reconnecting = false;
        if (!goOn) {
            m_resumeActual = m_resumeIo = false;
            if (m_port->Active()) CmdSelectUnitClick();
            return;
        }
    }
    m_reconnecting = false;
    if (!m_port->Active()) return;
    readLiveScaling();
    resumePolling();
    const bool actual = std::exchange(m_resumeActual, false);
    const bool io = std::exchange(m_resumeIo, false);
    restorePolling(actual, io);
}

void TFormMain::resumePolling()
{
    AppState& s = app();
    const int channel = liveChannel();
    if (s.ActualAan) {
        m_live->setValuesPolling(true, channel);
        for (int i = 0; i < TLiveMonitor::ValueCount; ++i) {
            if (valueShown(i, channel)) setBoxColor(valuePanel(i), kLightYellow);
        }
    }
    if (s.InUitAan) m_live->setIoPolling(true);
}

void TFormMain::ActualActief()
{
    AppState& s = app();
    const int channel = liveChannel();
    if (!s.ActualAan) {
        m_live->setValuesPolling(true, channel);
        for (int i = 0; i < TLiveMonitor::ValueCount; ++i) {
            if (valueShown(i, channel)) setBoxColor(valuePanel(i), kLightYellow);
        }
        CmdActual->setText(TxtCmdActual_OFF);
        s.ActualAan = true;
        return;
    }
    m_live->setValuesPolling(false, channel);
    const QColor face = buttonFace();
    for (int i = 0; i < TLiveMonitor::ValueCount; ++i) {
        setBoxColor(valuePanel(i), face);
        showPanelText(valuePanel(i), QString());
    }
    CmdActual->setText(TxtCmdActual_ON);
    s.ActualAan = false;
}

void TFormMain::InUitActief()
{
    AppState& s = app();
    if (!s.InUitAan) {
        m_live->setIoPolling(true);
        CmdInUit->setText(TxtCmdIO_OFF);
        s.InUitAan = true;
        return;
    }
    m_live->setIoPolling(false);
    CmdInUit->setText(TxtCmdIO_ON);
    s.InUitAan = false;
    Disable_checkboxen_status_klemmen();
}

void TFormMain::StopPolling()
{
    if (app().InUitAan) InUitActief();
    if (app().ActualAan) ActualActief();
}

void TFormMain::CmdResetErrorClick()
{
    m_live->resetError();
}

void TFormMain::CmdTerminalZendenClick()
{
    MemoReceive->clear();
    m_live->sendTerminal(EditZenden->text());
    EditZenden->selectAll();
    EditZenden->setFocus();
}

void TFormMain::Timer1Timer()
{
    const AppState& s = app();
    if (isTheActiveWindow(s.FormApparaatZoeken) || isTheActiveWindow(s.FormLeesParSoll)
        || isTheActiveWindow(s.FormSchrijfParSoll) || !m_port->Active() || m_reconnecting)
        return;
    m_live->readError();
}

QString commFailureText(const TCommError& error, int unit)
{
    if (error.Code == CommTimeout) return texts::Main("FoutGeenAntwoord").arg(unit);
    QString words;
    if (error.LineErrors != 0) {
        static const std::pair<uint32_t, const char*> kinds[] = {
            {CE_RXPARITY, "LijnfoutPariteit"}, {CE_FRAME, "LijnfoutFrame"}, {CE_OVERRUN, "LijnfoutOverrun"}, {CE_BREAK, "LijnfoutBreak"}, {CE_RXOVER, "LijnfoutVol"}};
        QStringList found;
        for (const auto& [flag, key] : kinds)
            if (error.LineErrors & flag) found << texts::Main(key);
        if (found.isEmpty()) found << texts::Main("LijnfoutOnbekend");
        words = texts::Main("FoutLijn").arg(found.join(QStringLiteral(", ")));
    } else if (error.OSError != 0) {
        words = texts::Main("FoutSysteem").arg(QString::fromStdString(SerialLine::systemMessage(int(error.OSError))));
    }
    // The numbers stay for support, after the words.
    return words + QLatin1Char(' ') + texts::Main("PanelTekst1") + QLatin1Char(' ') + QString::number(error.OSError)
           + QStringLiteral(", ") + QString::number(error.LineErrors);
}

void TFormMain::PX400UnitSelectComError(const TCommError& error)
{
    PanelErrorNo->clear();
    if (error.Code == CommLineLost) {
        PanelComInfo->setText(lostText());
    } else if (error.Code == CommTimeout || error.OSError != 0 || error.LineErrors != 0) {
        PanelComInfo->setText(commFailureText(error, SpinEditUnitSelect->value()));
    }
    PanelComInfo->setToolTip(PanelComInfo->text());
}

} // namespace vx
