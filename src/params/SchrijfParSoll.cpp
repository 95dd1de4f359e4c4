#include "params/SchrijfParSoll.h"
#include "device/ControllerLine.h"

#include "comm/PX400Protocol.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "device/CommandSet.h"

#include <QPushButton>

namespace vx {

TFormSchrijfParSoll* FormSchrijfParSoll()
{
    return qobject_cast<TFormSchrijfParSoll*>(app().FormSchrijfParSoll);
}

TFormSchrijfParSoll::TFormSchrijfParSoll(QWidget* parent)
    : TTransferForm(QStringLiteral("FormSchrijfParSoll"), parent)
{
    setObjectName(QStringLiteral("FormSchrijfParSoll"));
    PX400SchrijfParSoll = makeControllerComponent(this, "PX400SchrijfParSoll", 0);
    PX400BerekenParameters = makeControllerComponent(this, "PX400BerekenParameters", 2000);
    PX400SchrijfParSoll->OnCommResult = [this](TSXProtocolComponent*, const QByteArray& r) {
        PX400SchrijfParSollCommResult(r);
    };
    PX400BerekenParameters->OnCommResult = [this](TSXProtocolComponent*, const QByteArray& r) {
        PX400BerekenParametersCommResult(r);
    };
    const auto onError = [this](TSXProtocolComponent*, const TCommError& e, const QByteArray&) {
        PX400SchrijfParSollCommError(e);
    };
    PX400SchrijfParSoll->OnCommError = onError;
    PX400BerekenParameters->OnCommError = onError;
}

const LangSection& TFormSchrijfParSoll::texts() const { return texts::SchrijfParSoll; }

void TFormSchrijfParSoll::writeParameter(int nr)
{
    m_counter = nr;
    m_phase = Phase::Parameters;
    showProgress(PanelTekst[2], nr);
    send(PX400SchrijfParSoll, cmd::writePar(nr, ParBuffer.value(nr)));
}

void TFormSchrijfParSoll::writeSetpoint(int nr)
{
    m_counter = nr;
    m_phase = Phase::Setpoints;
    showProgress(PanelTekst[4], nr);
    send(PX400SchrijfParSoll, cmd::writeSoll(nr, SollwBuffer.value(nr)));
}

void TFormSchrijfParSoll::compute()
{
    m_phase = Phase::Computing;
    showStatus(QLatin1String(ComputingText));
    send(PX400BerekenParameters, QLatin1String(cmd::ComputeParameters));
}

void TFormSchrijfParSoll::Start()
{
    resetForStart();
    m_refused = false;
    m_reported = false;
    if (Mode == 1) {
        setProgressMaximum(80);
        writeSetpoint(1);
    } else {
        setProgressMaximum(511);
        writeParameter(0);
    }
}

void TFormSchrijfParSoll::Continue()
{
    // A later stop is reported again, with what is confirmed by then.
    m_reported = false;
    m_refused = false;
    switch (m_phase) {
    case Phase::Parameters: writeParameter(m_counter); break;
    case Phase::Setpoints: writeSetpoint(m_counter); break;
    case Phase::Computing: compute(); break;
    }
}

QString TFormSchrijfParSoll::finishText() const
{
    switch (Mode) {
    case 0: return PanelTekst[3];
    case 1: return PanelTekst[5];
    case 2: return PanelTekst[6];
    default: return PanelTekst[8];
    }
}

void TFormSchrijfParSoll::PX400SchrijfParSollCommResult(const QByteArray& reply)
{
    if (m_phase == Phase::Computing || !takeReply(PX400SchrijfParSoll))
        return;
    if (closeIfCancelRequested())
        return;
    const bool parameters = m_phase == Phase::Parameters;
    const cmd::CheckedReply checked = cmd::checkReply(PX400SchrijfParSoll->ASCIIProtocol(), reply);
    if (checked.refusedValue()) {
        m_refused = true;
        fail(QStringLiteral("(er 7) ") + PanelTekst[9]);
        return;
    }
    if (!checked.ok()) {
        unexpectedReply(PX400SchrijfParSoll, reply, parameters ? 'P' : 'S', reasonText(checked));
        return;
    }
    m_retried = false;

    if (parameters) {
        if (m_counter >= 511 && (Mode == 2 || Mode == 3)) {
            setProgressMaximum(80);
            writeSetpoint(1);
        } else if (m_counter >= 511) {
            compute();
        } else {
            writeParameter(m_counter + 1);
        }
    } else {
        if (m_counter >= 80 && Mode == 1) {
            finish(PanelTekst[5]);
        } else if (m_counter >= 80) {
            compute();
        } else {
            writeSetpoint(m_counter + 1);
        }
    }
    setProgressPosition(m_counter);
}

void TFormSchrijfParSoll::PX400BerekenParametersCommResult(const QByteArray& reply)
{
    if (m_phase != Phase::Computing || !takeReply(PX400BerekenParameters))
        return;
    if (closeIfCancelRequested())
        return;
    const cmd::BpResult r = cmd::bpResult(reply);
    if (!r.readable) {
        // A cut or foreign reply says nothing about what was computed.
        unexpectedReply(PX400BerekenParameters, reply, 'B',
                        reasonText(cmd::checkReply(u"bp", reply)));
        return;
    }
    if (r.accepted)
        finish(finishText());
    else
        finish(PanelTekst[10] + u' ' + r.detail + u' ' + PanelTekst[11], true);
}

void TFormSchrijfParSoll::PX400SchrijfParSollCommError(const TCommError& error)
{
    CommError(error);
}

TPX400Protocol* TFormSchrijfParSoll::waitingComponent() const
{
    return m_phase == Phase::Computing ? PX400BerekenParameters : PX400SchrijfParSoll;
}

void TFormSchrijfParSoll::interrupted()
{
    if (m_reported)
        return;
    m_reported = true;
    showWarning(this, texts::SchrijfParSoll("StopCaption"), interruptedText());
}

QString TFormSchrijfParSoll::interruptedText() const
{
    // Confirmed: every value before the one in flight; all parameters once the
    // setpoints (of a mode that writes both) or the computation are under way.
    const bool bothSets = Mode == 2 || Mode == 3;
    int parLast = -1;
    int sollLast = 0;
    switch (m_phase) {
    case Phase::Parameters: parLast = m_counter - 1; break;
    case Phase::Setpoints:
        parLast = bothSets ? 511 : -1;
        sollLast = m_counter - 1;
        break;
    case Phase::Computing:
        parLast = Mode == 1 ? -1 : 511;
        sollLast = Mode == 0 ? 0 : 80;
        break;
    }
    const int count = (parLast + 1) + sollLast;
    QStringList ranges;
    if (parLast >= 0)
        ranges << texts::SchrijfParSoll("StopParameters").arg(0).arg(parLast);
    if (sollLast >= 1)
        ranges << texts::SchrijfParSoll("StopSetpoints").arg(1).arg(sollLast);
    const QString none = texts::SchrijfParSoll("StopNone");
    const QString conjunction = texts::SchrijfParSoll("StopAnd");

    QStringList lines;
    lines << texts::SchrijfParSoll("StopConfirmed")
                 .arg(count)
                 .arg(ranges.isEmpty() ? none : ranges.join(u' ' + conjunction + u' '));
    if (m_phase == Phase::Computing) {
        lines << texts::SchrijfParSoll("StopBpUnconfirmed");
        return lines.join(QStringLiteral("\n\r"));
    }
    const QString item = m_phase == Phase::Parameters
                             ? texts::SchrijfParSoll("StopParameter").arg(m_counter)
                             : texts::SchrijfParSoll("StopSetpoint").arg(m_counter);
    if (m_refused)
        lines << texts::SchrijfParSoll("StopRefused").arg(item);
    else
        lines << texts::SchrijfParSoll("StopUnconfirmed").arg(item);
    if (count > 0 || !m_refused)
        lines << texts::SchrijfParSoll("StopMixed");
    if (Mode != 1)
        lines << texts::SchrijfParSoll("StopNoBp");
    return lines.join(QStringLiteral("\n\r"));
}

} // namespace vx
