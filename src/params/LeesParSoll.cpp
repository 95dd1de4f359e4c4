#include "params/LeesParSoll.h"

#include "core/LanguageTexts.h"
#include "device/ControllerLine.h"

#include "comm/PX400Protocol.h"
#include "core/AppState.h"
#include "core/Taal.h"
#include "device/CommandSet.h"
#include "plans/AsyncRunner.h"
#include "plans/TransferPlans.h"

#include <QLabel>
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
    m_runner->setChannel(0, PX400LeesParSoll, false);
    // Room for a lost line's device and what the read keeps, as in the write window.
    Panel1->setWordWrap(true);
    setFixedSize(480, 160);
}

TFormLeesParSoll::~TFormLeesParSoll()
{
    m_runner->cancel();
}

const LangSection& TFormLeesParSoll::texts() const { return texts::LeesParSoll; }

void TFormLeesParSoll::runPlan(bool resume)
{
    m_runner->cancel();
    // Values land in the window's buffers as they are read; a read that stops
    // leaves the ones before it there.
    m_plan = std::make_unique<plans::SetReadPlan>(transfer::Sets{Mode != 1, Mode != 0}, ParBuffer, SollwBuffer);
    if (resume)
        m_plan->resumeAt(m_phase == Phase::Setpoints ? transfer::Item::Setpoint : transfer::Item::Parameter,
                         m_counter);
    m_runner->run(m_plan.get());
}

void TFormLeesParSoll::Start()
{
    resetForStart();
    m_phase = Mode == 1 ? Phase::Setpoints : Phase::Parameters;
    m_counter = Mode == 1 ? 1 : 0;
    setProgressMaximum(Mode == 1 ? 80 : 511);
    runPlan(false);
}

void TFormLeesParSoll::Continue()
{
    runPlan(true);
}

void TFormLeesParSoll::requestSent(const plans::Request&)
{
    const bool setpoints = m_plan->item() == transfer::Item::Setpoint;
    m_phase = setpoints ? Phase::Setpoints : Phase::Parameters;
    m_counter = m_plan->number();
    showProgress(PanelTekst[setpoints ? 4 : 2], m_counter);
}

void TFormLeesParSoll::stepTaken()
{
    followValue(m_plan->item(), m_plan->number());
}

void TFormLeesParSoll::lineDown()
{
    m_plan->lineDown();
}

void TFormLeesParSoll::planFinished()
{
    if (closeIfCancelRequested())
        return;
    const transfer::Result& r = m_plan->result();
    using O = transfer::Outcome;
    switch (r.outcome) {
    case O::Done:
        finish(Mode == 0 ? PanelTekst[3] : Mode == 1 ? PanelTekst[5]
                                                     : PanelTekst[6]);
        return;
    case O::NoReply:
    case O::LineFailed: lineFailed(r.error); return;
    case O::Refused:
    case O::BadReply:
        // Nothing else may reach the buffers: the value stays as it was.
        fail(unexpectedReplyText(r, m_phase == Phase::Setpoints ? 'S' : 'P'));
        return;
    case O::Stopped: done(QDialog::Rejected); return;
    }
}

void TFormLeesParSoll::PX400LeesParSollCommResult(const QByteArray& reply)
{
    CommResult(PX400LeesParSoll, reply);
}

void TFormLeesParSoll::PX400LeesParSollCommError(const TCommError& error)
{
    CommError(error);
}

QString TFormLeesParSoll::lostNote() const
{
    return m_plan ? texts::LeesParSoll("NotKept").arg(m_plan->done()) : QString();
}

} // namespace vx
