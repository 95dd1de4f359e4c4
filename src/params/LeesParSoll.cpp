#include "params/LeesParSoll.h"

#include "core/LanguageTexts.h"
#include "device/ControllerLine.h"

#include "comm/PX400Protocol.h"
#include "core/AppState.h"
#include "core/Taal.h"
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
    PX400LeesParSoll = makeControllerComponent(this, "PX400LeesParSoll", 1000);
    PX400LeesParSoll->OnCommResult = [this](TSXProtocolComponent*, const QByteArray& r) {
        PX400LeesParSollCommResult(r);
    };
    PX400LeesParSoll->OnCommError = [this](TSXProtocolComponent*, const TCommError& e, const QByteArray&) {
        PX400LeesParSollCommError(e);
    };
}

const LangSection& TFormLeesParSoll::texts() const { return texts::LeesParSoll; }

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

void TFormLeesParSoll::Continue()
{
    if (m_phase == Phase::Setpoints)
        readSetpoint(m_counter);
    else
        readParameter(m_counter);
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
