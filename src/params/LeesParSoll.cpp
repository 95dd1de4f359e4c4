#include "params/LeesParSoll.h"

#include "core/AppState.h"
#include "core/Taal.h"
#include "comm/PX400Protocol.h"
#include "device/CommandSet.h"

#include <QPushButton>

namespace vx {

TFormLeesParSoll* FormLeesParSoll()
{
    return qobject_cast<TFormLeesParSoll*>(app().FormLeesParSoll);
}

TFormLeesParSoll::TFormLeesParSoll(QWidget* parent)
    : TTransferForm(QStringLiteral("FormLeesParSoll"), parent)
{
    setObjectName(QStringLiteral("FormLeesParSoll"));
    PX400LeesParSoll = makeComponent("PX400LeesParSoll", 1000);
    PX400LeesParSoll->OnCommResult = [this](TSXProtocolComponent*, const QByteArray& r) {
        PX400LeesParSollCommResult(r);
    };
    PX400LeesParSoll->OnCommError = [this](TSXProtocolComponent*, const TCommError& e, const QByteArray&) {
        PX400LeesParSollCommError(e);
    };
}

void TFormLeesParSoll::LezenTeksten()
{
    for (QString& t : PanelTekst)
        t.clear();
    if (!app().TaalGeladen) {
        setWindowTitle(m_designCaption);
        CmdOK->setText(QStringLiteral("OK"));
        CmdAgain->setText(QStringLiteral("Again"));
        CmdCancel->setText(QStringLiteral("Cancel"));
        return;
    }
    switch (Mode) {
    case 0: setWindowTitle(taal("LeesParSoll", "CaptionMode0", "Lees Param")); break;
    case 1: setWindowTitle(taal("LeesParSoll", "CaptionMode1", "Lees Sollw")); break;
    case 2: setWindowTitle(taal("LeesParSoll", "CaptionMode2", "Lees Param en sollw")); break;
    default: setWindowTitle(taal("LeesParSoll", "CaptionMode3", "Lees Apparaat")); break;
    }
    CmdOK->setText(taal("LeesParSoll", "CmdOK", "OK"));
    CmdAgain->setText(taal("LeesParSoll", "CmdAgain", "Again"));
    CmdCancel->setText(taal("LeesParSoll", "CmdCancel", "Cancel"));
    PanelTekst[0] = taal("LeesParSoll", "PanelTekst0", "tekst 0");
    PanelTekst[1] = taal("LeesParSoll", "PanelTekst1", "tekst 1");
    PanelTekst[2] = taal("LeesParSoll", "PanelTekst2", "tekst 2");
    PanelTekst[3] = taal("LeesParSoll", "PanelTekst3", "tekst 3");
    PanelTekst[4] = taal("LeesParSoll", "PanelTekst4", "tekst 4");
    PanelTekst[5] = taal("LeesParSoll", "PanelTekst5", "tekst 5");
    PanelTekst[6] = taal("LeesParSoll", "PanelTekst6", "tekst 6");
    PanelTekst[7] = taal("LeesParSoll", "PanelTekst7", "tekst 7");
}

void TFormLeesParSoll::readParameter(int nr)
{
    m_counter = nr;
    m_phase = Phase::Parameters;
    showProgress(PanelTekst[2], nr);
    send(PX400LeesParSoll, cmd::readPar(nr));
}

void TFormLeesParSoll::readSetpoint(int nr)
{
    m_counter = nr;
    m_phase = Phase::Setpoints;
    showProgress(PanelTekst[4], nr);
    send(PX400LeesParSoll, cmd::readSoll(nr));
}

void TFormLeesParSoll::Start()
{
    resetForStart();
    if (Mode == 1) {
        setProgressMaximum(80);
        readSetpoint(1);
    } else {
        setProgressMaximum(511);
        readParameter(0);
    }
}

void TFormLeesParSoll::PX400LeesParSollCommResult(const QByteArray& reply)
{
    if (!takeReply(PX400LeesParSoll))
        return;
    if (closeIfCancelRequested())
        return;
    const bool parameters = m_phase == Phase::Parameters;
    // Whole, for this very number and a whole-number value, or it is an unexpected
    // reply: nothing else may reach the buffers.
    const cmd::CheckedReply checked = cmd::checkReply(PX400LeesParSoll->ASCIIProtocol(), reply);
    if (!checked.ok()) {
        unexpectedReply(PX400LeesParSoll, reply, parameters ? 'P' : 'S', reasonText(checked));
        return;
    }
    const qint32 value = *checked.number;
    m_retried = false;

    if (parameters) {
        ParBuffer[m_counter] = value;
        if (m_counter >= 511 && (Mode == 2 || Mode == 3)) {
            setProgressMaximum(80);
            readSetpoint(1);
        } else if (m_counter >= 511) {
            finish(PanelTekst[3]);
        } else {
            readParameter(m_counter + 1);
        }
    } else {
        SollwBuffer[m_counter] = value;
        if (m_counter >= 80)
            finish(Mode == 1 ? PanelTekst[5] : PanelTekst[6]);
        else
            readSetpoint(m_counter + 1);
    }
    setProgressPosition(m_counter);
}

void TFormLeesParSoll::PX400LeesParSollCommError(const TCommError& error)
{
    CommError(error);
}

} // namespace vx
