// The main window as live monitor: connection, identification, live values, I/O,
// error number and the terminal.
#include "app/VX40Main.h"
#include "core/Widgets.h"
#include "device/ControllerLine.h"

#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Taal.h"
#include "core/UiSeams.h"
#include "device/CommandSet.h"
#include "params/FixedPoint.h"
#include "params/ValueStore.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

namespace vx {

namespace {

const QColor kLightYellow(255, 255, 151);

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
    PX400UnitSelect = makeControllerComponent(this, "PX400UnitSelect", 0, p);
    PX400TypeInfo = makeControllerComponent(this, "PX400TypeInfo", 0, p);
    PX400ActPos1 = makeControllerComponent(this, "PX400ActPos1", 0, p);
    PX400ActPos2 = makeControllerComponent(this, "PX400ActPos2", 0, p);
    PX400PosVerschil = makeControllerComponent(this, "PX400PosVerschil", 0, p);
    PX400Snelheid1 = makeControllerComponent(this, "PX400Snelheid1", 0, p);
    PX400Snelheid2 = makeControllerComponent(this, "PX400Snelheid2", 0, p);
    PX400Spanning = makeControllerComponent(this, "PX400Spanning", 0, p);
    PX400Stroom = makeControllerComponent(this, "PX400Stroom", 0, p);
    PX400_in = makeControllerComponent(this, "PX400_in", 0, p);
    PX400_uit = makeControllerComponent(this, "PX400_uit", 0, p);
    PX400ReadError = makeControllerComponent(this, "PX400ReadError", 0, p);
    PX400ResetError = makeControllerComponent(this, "PX400ResetError", 0, p);
    PX400Protocol1 = makeControllerComponent(this, "PX400Protocol1", 1500, p);

    p->OnActivate = [this](TSXComm*) { SXComm1Activate(); };
    p->OnDeactivate = [this](TSXComm*) { SXComm1Deactivate(); };

    auto sharedError = [this](TSXProtocolComponent*, const TCommError& e, const QByteArray&) {
        PX400UnitSelectComError(e);
    };
    PX400UnitSelect->OnCommError = sharedError;
    PX400_in->OnCommError = sharedError;
    PX400Protocol1->OnCommError = sharedError;
    PX400ReadError->OnCommError = sharedError;

    PX400UnitSelect->OnCommResult = [this](TSXProtocolComponent*, const QByteArray&) {
        PanelComInfo->clear();
        PX400TypeInfo->setASCIIProtocol(QLatin1String(cmd::ReadType));
        PX400TypeInfo->Send();
    };

    PX400TypeInfo->OnCommResult = [this](TSXProtocolComponent*, const QByteArray& reply) {
        AppState& s = app();
        // A cut or foreign identification is shown as unreadable, never as a type.
        const cmd::CheckedReply checked = cmd::checkReply(PX400TypeInfo->ASCIIProtocol(), reply);
        const QString value = checked.ok() ? checked.value : QStringLiteral("????");
        switch (s.TypeInfoStap) {
        case 0: {
            m_status[2]->setText(value);
            s.ApparaatType = checked.ok() ? cmd::controllerType(value) : QString();
            if (checked.ok() && s.ApparaatType != QLatin1String("VX50") && s.ApparaatType != QLatin1String("VX51") && s.TaalGeladen) {
                showWarning(this, taal(QStringLiteral("Main"), QStringLiteral("Msg_waarschuwingCaption"), QString()),
                            taal(QStringLiteral("Main"), QStringLiteral("Msg_Melding_Geen_VX50"), QString()));
            }
            PX400TypeInfo->setASCIIProtocol(QLatin1String(cmd::ReadIdent2));
            PX400TypeInfo->Send();
            s.TypeInfoStap = 1;
            break;
        }
        case 1:
            m_status[3]->setText(value);
            PX400TypeInfo->setASCIIProtocol(QLatin1String(cmd::ReadIdent3));
            PX400TypeInfo->Send();
            s.TypeInfoStap = 2;
            break;
        default:
            m_status[4]->setText(value);
            break;
        }
    };

    // Live values: a reply counts only while polling is on; any error shows "?".
    auto live = [this](TPX400Protocol* c, const char* request, QLabel* panel, int decimals, const char* unit) {
        c->OnCommResult = [this, request, panel, decimals, unit](TSXProtocolComponent*, const QByteArray& reply) {
            if (app().ActualAan) showLiveValue(QLatin1String(request), panel, reply, decimals, unit);
        };
        c->OnCommError = [panel](TSXProtocolComponent*, const TCommError&, const QByteArray&) {
            panel->setText(QStringLiteral("?"));
        };
    };
    live(PX400ActPos1, cmd::ActPos1, PanelActPos1, 9, "");
    live(PX400ActPos2, cmd::ActPos2, PanelActPos2, 9, "");
    live(PX400PosVerschil, cmd::PosDifference, PanelPosVerschil, 9, "");
    live(PX400Snelheid1, cmd::Velocity1, PanelSnelheid1, 9, "");
    live(PX400Snelheid2, cmd::Velocity2, PanelSnelheid2, 9, "");
    live(PX400Spanning, cmd::Voltage, PanelSpanning, 4, " V");
    live(PX400Stroom, cmd::Current, PanelStroom, 4, " mA");

    // An unreadable word leaves the boxes as they were: all white would claim every
    // input and output off.
    auto ioWord = [](const char* request, const QByteArray& reply) {
        return cmd::checkReply(QString::fromLatin1(request), reply, cmd::IoReplyLimit).number;
    };
    PX400_in->OnCommResult = [this, ioWord](TSXProtocolComponent*, const QByteArray& reply) {
        const auto word = ioWord(cmd::ReadInputs, reply);
        if (!app().InUitAan || !word) return;
        QLabel* const refs[2] = {TB_K0_1, TB_K0_2};
        setIoBoxes(refs, 2, 0, *word);
        setIoBoxes(TbIn, 8, 2, *word);
    };
    PX400_uit->OnCommResult = [this, ioWord](TSXProtocolComponent*, const QByteArray& reply) {
        const auto word = ioWord(cmd::ReadOutputs, reply);
        if (!app().InUitAan || !word) return;
        setIoBoxes(TbUitgang, 16, 0, *word);
    };

    PX400ReadError->OnCommResult = [this](TSXProtocolComponent*, const QByteArray& reply) {
        PanelComInfo->clear();
        // An unreadable error number neither clears nor raises the error shown.
        const cmd::CheckedReply checked = cmd::checkReply(QString::fromLatin1(cmd::ReadError), reply);
        if (!checked.ok()) return;
        const QString& value = checked.value;
        if (cmd::isNoError(value)) {
            PanelErrorNo->clear();
            return;
        }
        PanelErrorNo->setText(QStringLiteral("VX50... Error: ") + value);
        if (ErrorIndicator == QLatin1String(". . . . . . ")) ErrorIndicator.clear();
        ErrorIndicator += QStringLiteral(". ");
        m_status[5]->setText(ErrorIndicator);
    };

    PX400Protocol1->OnCommResult = [this](TSXProtocolComponent*, const QByteArray& reply) {
        PanelComInfo->clear();
        MemoReceive->setPlainText(QString::fromLatin1(reply));
    };

    connect(CmdSelectUnit, &QPushButton::clicked, this, &TFormMain::CmdSelectUnitClick);
    connect(CmdActual, &QPushButton::clicked, this, &TFormMain::ActualActief);
    connect(CmdInUit, &QPushButton::clicked, this, &TFormMain::InUitActief);
    connect(CmdResetError, &QPushButton::clicked, this, &TFormMain::CmdResetErrorClick);
    connect(CmdTerminalZenden, &QPushButton::clicked, this, &TFormMain::CmdTerminalZendenClick);
    connect(Timer1, &QTimer::timeout, this, &TFormMain::Timer1Timer);
}

void TFormMain::showLiveValue(const QString& request, QLabel* panel, const QByteArray& reply, int decimals,
                              const char* unit)
{
    // Too long, cut, another command's or no number: all equally unreadable.
    const auto v = cmd::checkReply(request, reply).number;
    if (!v) {
        panel->setText(QStringLiteral("????"));
        return;
    }
    panel->setText(FixedToText(decimals, *v) + QLatin1String(unit));
}

void TFormMain::setIoBoxes(QLabel* const* boxes, int count, int firstBit, qint32 word)
{
    for (int i = 0; i < count; ++i)
        setBoxColor(boxes[i], (word >> (firstBit + i)) & 1 ? QColor(Qt::blue) : QColor(Qt::white));
}

void TFormMain::CmdSelectUnitClick()
{
    if (!m_port->Active()) {
        try {
            m_port->Open();
        } catch (const EComm& e) {
            showError(this, QLatin1String(ApplicationTitle), e.text());
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
    CmdSelectUnit->setText(TxtCmdComClose);
    for (QWidget* w : {static_cast<QWidget*>(CmdTerminalZenden), static_cast<QWidget*>(CmdResetError),
                       static_cast<QWidget*>(CmdActual), static_cast<QWidget*>(CmdInUit)})
        w->setEnabled(true);
    m_status[0]->setText(m_port->displayName());
    m_status[1]->setText(lineSettingsText(*m_port));
    app().TypeInfoStap = 0;
    if (!isTheActiveWindow(app().FormApparaatZoeken)) {
        PX400UnitSelect->setASCIIProtocol(cmd::selectUnit(SpinEditUnitSelect->value()));
        PX400UnitSelect->Send();
    }
    updateConnectionItems();
}

void TFormMain::SXComm1Deactivate()
{
    PanelErrorNo->clear();
    PanelComInfo->clear();
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
        panel->clear();
        setBoxColor(panel, face);
    }
    Disable_checkboxen_status_klemmen();
    updateConnectionItems();
}

void TFormMain::ActualActief()
{
    AppState& s = app();
    const struct {
        TPX400Protocol* c;
        QLabel* panel;
        const char* request;
    } values[] = {
        {PX400ActPos1, PanelActPos1, cmd::ActPos1},
        {PX400ActPos2, PanelActPos2, cmd::ActPos2},
        {PX400PosVerschil, PanelPosVerschil, cmd::PosDifference},
        {PX400Snelheid1, PanelSnelheid1, cmd::Velocity1},
        {PX400Snelheid2, PanelSnelheid2, cmd::Velocity2},
    };
    if (!s.ActualAan) {
        for (const auto& v : values) {
            v.c->setASCIIProtocol(QLatin1String(v.request));
            v.c->setCyclic(true);
            setBoxColor(v.panel, kLightYellow);
        }
        if (ParWaarden[ParAnalogueChannel] == 1) {
            PX400Spanning->setASCIIProtocol(QLatin1String(cmd::Voltage));
            PX400Spanning->setCyclic(true);
            setBoxColor(PanelSpanning, kLightYellow);
        }
        if (ParWaarden[ParAnalogueChannel] == 2) {
            PX400Stroom->setASCIIProtocol(QLatin1String(cmd::Current));
            PX400Stroom->setCyclic(true);
            setBoxColor(PanelStroom, kLightYellow);
        }
        CmdActual->setText(TxtCmdActual_OFF);
        s.ActualAan = true;
        return;
    }
    for (const auto& v : values) v.c->setCyclic(false);
    PX400Spanning->setCyclic(false);
    PX400Stroom->setCyclic(false);
    const QColor face = buttonFace();
    for (QLabel* panel : {PanelActPos1, PanelActPos2, PanelPosVerschil, PanelSnelheid1, PanelSnelheid2,
                          PanelSpanning, PanelStroom}) {
        setBoxColor(panel, face);
        panel->clear();
    }
    CmdActual->setText(TxtCmdActual_ON);
    s.ActualAan = false;
}

void TFormMain::InUitActief()
{
    AppState& s = app();
    if (!s.InUitAan) {
        PX400_in->setASCIIProtocol(QLatin1String(cmd::ReadInputs));
        PX400_in->setCyclic(true);
        PX400_uit->setASCIIProtocol(QLatin1String(cmd::ReadOutputs));
        PX400_uit->setCyclic(true);
        CmdInUit->setText(TxtCmdIO_OFF);
        s.InUitAan = true;
        return;
    }
    PX400_in->setCyclic(false);
    PX400_uit->setCyclic(false);
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
    PX400ResetError->setASCIIProtocol(QLatin1String(cmd::ResetError));
    PX400ResetError->Send();
}

void TFormMain::CmdTerminalZendenClick()
{
    MemoReceive->clear();
    PX400Protocol1->setASCIIProtocol(EditZenden->text());
    PX400Protocol1->Send();
    EditZenden->selectAll();
    EditZenden->setFocus();
}

void TFormMain::Timer1Timer()
{
    const AppState& s = app();
    if (isTheActiveWindow(s.FormApparaatZoeken) || isTheActiveWindow(s.FormLeesParSoll)
        || isTheActiveWindow(s.FormSchrijfParSoll) || !m_port->Active())
        return;
    PX400ReadError->setASCIIProtocol(QLatin1String(cmd::ReadError));
    PX400ReadError->Send();
}

void TFormMain::PX400UnitSelectComError(const TCommError& error)
{
    PanelErrorNo->clear();
    if (error.Code == CommTimeout) {
        PanelComInfo->setText(TxtPanelTekst0);
    } else if (error.OSError != 0 || error.LineErrors != 0) {
        PanelComInfo->setText(TxtPanelTekst1 + QLatin1Char(' ') + QString::number(error.OSError) + QStringLiteral(", ")
                              + QString::number(error.LineErrors));
    }
}

} // namespace vx
