#include "params/SchrijfParSoll.h"
#include "device/ControllerLine.h"

#include "comm/PX400Protocol.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "device/CommandSet.h"
#include "params/CompareWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

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
    PX400Controle = makeControllerComponent(this, "PX400Controle", transfer::ReadTimeoutMs);

    CmdCompare = new QPushButton(QStringLiteral("Compare..."), this);
    CmdCompare->setObjectName(QStringLiteral("CmdCompare"));
    CmdCompare->hide();
    connect(CmdCompare, &QPushButton::clicked, this, &TFormSchrijfParSoll::CmdCompareClick);
    if (auto* row = qobject_cast<QHBoxLayout*>(layout()->itemAt(layout()->count() - 1)->layout()))
        row->insertWidget(1, CmdCompare);
    // Room for the read-back's result below the finish text.
    Panel1->setWordWrap(true);
    setFixedSize(480, 160);
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
    m_verified = false;
    m_verify = {};
    CmdCompare->hide();
    CmdCompare->setText(texts::Verify("CmdCompare"));
    if (m_newRun) {
        m_newRun = false;
        m_safetyPath.clear();
    }
    // Once per run: Again after a failed write must not replace the backup of the
    // controller as it was with a half-written one.
    if (safety::backupsOn() && m_safetyPath.isEmpty()) {
        QTimer::singleShot(0, this, [this] {
            // Closed in the meantime: nothing may be read, let alone written.
            if (isVisible() && !m_done && !m_failed && takeSafetyBackup())
                beginWrite();
        });
        return;
    }
    beginWrite();
}

void TFormSchrijfParSoll::beginWrite()
{
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
            complete(PanelTekst[5]);
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
        complete(finishText());
    else
        complete(PanelTekst[10] + u' ' + r.detail + u' ' + PanelTekst[11], true);
}

transfer::Exchange TFormSchrijfParSoll::checkExchange(const QString& request, int timeoutMs)
{
    if (!portOpen()) {
        transfer::Exchange x;
        x.error.Code = CommPortClosed;
        return x;
    }
    return transfer::exchangeThrough(*PX400Controle, request, timeoutMs);
}

bool TFormSchrijfParSoll::takeSafetyBackup()
{
    m_checking = true;
    const int total = TParWaarden::last - TParWaarden::first + 1 + TSollWaarden::last - TSollWaarden::first + 1;
    setProgressMaximum(total);
    showStatus(texts::Verify("SafetyReading").arg(0).arg(total));
    const safety::Taken t = safety::take(
        [this](const QString& rq, int ms) { return checkExchange(rq, ms); }, safety::folder(), app().unitNumber(),
        [this](int done, int all) {
            showStatus(texts::Verify("SafetyReading").arg(done).arg(all));
            setProgressPosition(done);
            return !m_cancelRequested;
        });
    m_checking = false;
    if (m_cancelRequested) {
        done(QDialog::Rejected);
        return false;
    }
    if (!t.ok()) {
        // Nothing was written, so there is nothing to report about the controller.
        m_reported = true;
        fail(t.read.ok() ? texts::Verify("SafetySaveFailed").arg(t.error)
                         : texts::Verify("SafetyFailed").arg(safety::reasonText(t)));
        return false;
    }
    m_safetyPath = t.path;
    setProgressPosition(0);
    return true;
}

compare::ValueSet TFormSchrijfParSoll::writtenSet() const
{
    compare::ValueSet w;
    w.hasParameters = Mode != 1;
    w.hasSetpoints = Mode != 0;
    w.par = ParBuffer;
    w.soll = SollwBuffer;
    return w;
}

void TFormSchrijfParSoll::complete(const QString& text, bool red)
{
    if (!safety::verifyOn()) {
        finish(text, red);
        return;
    }
    // Out of the reply handler: the read-back waits in its own loop.
    QTimer::singleShot(0, this, [this, text, red] {
        if (isVisible())
            verifyAndFinish(text, red);
    });
}

void TFormSchrijfParSoll::verifyAndFinish(const QString& text, bool red)
{
    const compare::ValueSet written = writtenSet();
    compare::ValueSet back;
    back.hasParameters = written.hasParameters;
    back.hasSetpoints = written.hasSetpoints;
    m_checking = true;
    const int total = (written.hasParameters ? 512 : 0) + (written.hasSetpoints ? 80 : 0);
    setProgressMaximum(total);
    const transfer::Result r = transfer::readSets(
        [this](const QString& rq, int ms) { return checkExchange(rq, ms); },
        {back.hasParameters, back.hasSetpoints}, back.par, back.soll, [this](int done, int all) {
            showStatus(texts::Verify("Verifying").arg(done).arg(all));
            setProgressPosition(done);
            return !m_cancelRequested; });
    m_checking = false;
    m_cancelRequested = false;
    if (!r.ok()) {
        // The write itself ended; only its proof is missing.
        safety::Taken why;
        why.read = r;
        finish(text + u'\n' + texts::Verify("VerifyFailed").arg(safety::reasonText(why)), true);
        return;
    }
    m_readBack = back;
    m_verify = verify::check(verify::wholeSet(written), back);
    m_verified = true;
    finish(text + u'\n' + m_verify.text(4), red || !m_verify.ok());
    Panel1->setToolTip(m_verify.text(100));
    CmdCompare->setVisible(!m_verify.ok());
}

void TFormSchrijfParSoll::CmdCompareClick()
{
    if (!m_verified)
        return;
    const compare::ValueSet written = writtenSet();
    TFormCompare compare({written.hasParameters, written.hasSetpoints}, this);
    compare.showSets(texts::Verify("SideWritten"), written, texts::Verify("SideReadBack"), m_readBack);
    compare.exec();
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
