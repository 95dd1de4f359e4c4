// The main window as live monitor: connection, identification, live values, I/O,
// error number and the terminal.
#include "app/VX40Main.h"
#include "core/Widgets.h"
#include "device/LiveMonitor.h"

#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
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
    m_live = new TLiveMonitor(p, this);

    p->OnActivate = [this](TSXComm*) { SXComm1Activate(); };
    p->OnDeactivate = [this](TSXComm*) { SXComm1Deactivate(); };

    m_live->OnCommError = [this](const TCommError& e) { PX400UnitSelectComError(e); };
    m_live->OnUnitSelected = [this] { PanelComInfo->clear(); };
    m_live->OnIdentification = [this](int step, const std::optional<QString>& text) {
        m_status[2 + step]->setText(text.value_or(QStringLiteral("????")));
        const AppState& s = app();
        if (step == 0 && text && s.ApparaatType != QLatin1String("VX50") && s.ApparaatType != QLatin1String("VX51")
            && s.TaalGeladen) {
            showWarning(this, texts::Main("Msg_waarschuwingCaption"),
                        texts::Main("Msg_Melding_Geen_VX50"));
        }
    };

    // Live values: a reply counts only while polling is on; any error shows "?".
    m_live->OnValue = [this](TLiveMonitor::Value which, std::optional<qint32> v) {
        if (!app().ActualAan) return;
        QLabel* panel = valuePanel(which);
        // Too long, cut, another command's or no number: all equally unreadable.
        if (!v) {
            panel->setText(QStringLiteral("????"));
            return;
        }
        const bool analogue = which == TLiveMonitor::Spanning || which == TLiveMonitor::Stroom;
        const QString unit = which == TLiveMonitor::Spanning ? QStringLiteral(" V")
                             : which == TLiveMonitor::Stroom ? QStringLiteral(" mA")
                                                             : QString();
        panel->setText(FixedToText(analogue ? 4 : 9, *v) + unit);
    };
    m_live->OnValueFailed = [this](TLiveMonitor::Value which) { valuePanel(which)->setText(QStringLiteral("?")); };

    m_live->OnInputs = [this](qint32 word) {
        if (!app().InUitAan) return;
        QLabel* const refs[2] = {TB_K0_1, TB_K0_2};
        setIoBoxes(refs, 2, 0, word);
        setIoBoxes(TbIn, 8, 2, word);
    };
    m_live->OnOutputs = [this](qint32 word) {
        if (app().InUitAan) setIoBoxes(TbUitgang, 16, 0, word);
    };
    m_live->OnErrorNumber = [this](bool noError, const QString& value) {
        PanelComInfo->clear();
        if (noError) {
            PanelErrorNo->clear();
            return;
        }
        PanelErrorNo->setText(QStringLiteral("VX50... Error: ") + value);
        if (ErrorIndicator == QLatin1String(". . . . . . ")) ErrorIndicator.clear();
        ErrorIndicator += QStringLiteral(". ");
        m_status[5]->setText(ErrorIndicator);
    };
    m_live->OnTerminalReply = [this](const QByteArray& reply) {
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

QLabel* TFormMain::valuePanel(int which) const
{
    QLabel* const panels[] = {PanelActPos1, PanelActPos2, PanelPosVerschil, PanelSnelheid1,
                              PanelSnelheid2, PanelSpanning, PanelStroom};
    return panels[which];
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
    if (!isTheActiveWindow(app().FormApparaatZoeken)) m_live->selectUnit(SpinEditUnitSelect->value());
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
    const int channel = ParWaarden[ParAnalogueChannel];
    if (!s.ActualAan) {
        m_live->setValuesPolling(true, channel);
        for (int i = 0; i < TLiveMonitor::ValueCount; ++i) {
            const bool shown = i < TLiveMonitor::Spanning || (i == TLiveMonitor::Spanning && channel == 1)
                               || (i == TLiveMonitor::Stroom && channel == 2);
            if (shown) setBoxColor(valuePanel(i), kLightYellow);
        }
        CmdActual->setText(TxtCmdActual_OFF);
        s.ActualAan = true;
        return;
    }
    m_live->setValuesPolling(false, channel);
    const QColor face = buttonFace();
    for (int i = 0; i < TLiveMonitor::ValueCount; ++i) {
        setBoxColor(valuePanel(i), face);
        valuePanel(i)->clear();
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
        || isTheActiveWindow(s.FormSchrijfParSoll) || !m_port->Active())
        return;
    m_live->readError();
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
