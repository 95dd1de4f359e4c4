#include "params/SchrijfParSoll.h"
#include "device/ControllerLine.h"

#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "device/CommandSet.h"
#include "params/CompareWindow.h"
#include "plans/AsyncRunner.h"
#include "plans/SafeWritePlan.h"

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
    m_runner->setChannel(0, PX400SchrijfParSoll, false);
    m_runner->setChannel(1, PX400BerekenParameters, false);
    m_runner->setChannel(2, PX400Controle);

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

TFormSchrijfParSoll::~TFormSchrijfParSoll()
{
    m_runner->cancel();
}

const LangSection& TFormSchrijfParSoll::texts() const { return texts::SchrijfParSoll; }

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
    m_phase = Mode == 1 ? Phase::Setpoints : Phase::Parameters;
    m_counter = Mode == 1 ? 1 : 0;
    // Once per run: Again after a failed write must not replace the backup of the
    // controller as it was with a half-written one.
    if (safety::backupsOn() && m_safetyPath.isEmpty()) {
        QTimer::singleShot(0, this, [this] {
            // Closed in the meantime: nothing may be read, let alone written.
            if (isVisible() && !m_done && !m_failed && !m_runner->running())
                runPlan(true, false);
        });
        return;
    }
    runPlan(false, false);
}

void TFormSchrijfParSoll::runPlan(bool backup, bool resume)
{
    m_runner->cancel();
    plans::SafeWritePlan::Job job;
    job.values = writtenSet();
    job.backup = backup;
    job.writeAll = writeEveryValueOn();
    // A restore computes in any case; a send only after a parameter it wrote.
    job.computeAlways = Mode == 3;
    // Continue goes on with the same differing values.
    if (resume && m_plan && m_plan->selective())
        job.only = m_plan->selection();
    job.verify = safety::verifyOn();
    job.save = [unit = app().unitNumber()](const safety::Identity& id, const TParWaarden& par,
                                           const TSollWaarden& soll) {
        return safety::save(safety::folder(), id, unit, par, soll);
    };
    job.channels = {2, 0, 1};
    m_plan = std::make_unique<plans::SafeWritePlan>(std::move(job));
    if (resume)
        m_plan->resumeWriteAt(m_phase == Phase::Computing   ? transfer::Item::Compute
                              : m_phase == Phase::Setpoints ? transfer::Item::Setpoint
                                                            : transfer::Item::Parameter,
                              m_counter);
    m_checking = backup;
    if (backup) {
        const int total = ParCount + SollCount;
        setProgressMaximum(total);
        showStatus(texts::Verify("SafetyReading").arg(0).arg(total));
    } else if (m_plan->selective()) {
        setProgressMaximum(int(m_plan->selection().size()));
    } else {
        setProgressMaximum(m_phase == Phase::Setpoints ? 80 : 511);
    }
    m_runner->run(m_plan.get());
}

void TFormSchrijfParSoll::Continue()
{
    // A later stop is reported again, with what is confirmed by then.
    m_reported = false;
    m_refused = false;
    runPlan(false, true);
}

void TFormSchrijfParSoll::requestSent(const plans::Request&)
{
    using P = plans::SafeWritePlan::Phase;
    if (m_plan->phase() != P::Write)
        return;
    const plans::SetPlan* w = m_plan->current();
    switch (w->item()) {
    case transfer::Item::Parameter:
    case transfer::Item::Setpoint: {
        const bool setpoints = w->item() == transfer::Item::Setpoint;
        m_phase = setpoints ? Phase::Setpoints : Phase::Parameters;
        m_counter = w->number();
        if (m_plan->selective())
            showStatus(texts::Verify("DiffProgress").arg(w->done() + 1).arg(w->total()));
        else
            showProgress(PanelTekst[setpoints ? 4 : 2], m_counter);
        break;
    }
    case transfer::Item::Compute:
        m_phase = Phase::Computing;
        showStatus(QLatin1String(ComputingText));
        break;
    }
}

void TFormSchrijfParSoll::stepTaken()
{
    using P = plans::SafeWritePlan::Phase;
    switch (m_plan->phase()) {
    case P::Identity: break;
    case P::Backup:
        showStatus(texts::Verify("SafetyReading").arg(m_plan->done()).arg(m_plan->total()));
        setProgressPosition(m_plan->done());
        break;
    case P::Write:
        if (m_checking) {
            // The backup is saved; the write begins.
            m_checking = false;
            m_safetyPath = m_plan->safety().path;
            setProgressPosition(0);
            setProgressMaximum(m_plan->selective() ? m_plan->total() : Mode == 1 ? 80
                                                                                 : 511);
            break;
        }
        if (m_plan->selective())
            setProgressPosition(m_plan->done());
        else
            followValue(m_plan->current()->item(), m_plan->current()->number());
        break;
    case P::ReadBack:
        m_checking = true;
        setProgressMaximum(m_plan->total());
        showStatus(texts::Verify("Verifying").arg(m_plan->done()).arg(m_plan->total()));
        setProgressPosition(m_plan->done());
        break;
    }
}

void TFormSchrijfParSoll::lineDown()
{
    m_plan->lineDown();
}

void TFormSchrijfParSoll::planFinished()
{
    using P = plans::SafeWritePlan::Phase;
    switch (m_plan->phase()) {
    case P::Identity:
    case P::Backup: backupEnded(); break;
    case P::Write: writeEnded(); break;
    case P::ReadBack: readBackEnded(); break;
    }
    // Again after a finished restore would write the whole controller once more
    // without its question.
    CmdAgain->setVisible(!(m_done && Mode == 3));
}

void TFormSchrijfParSoll::backupEnded()
{
    m_checking = false;
    if (m_cancelRequested) {
        done(QDialog::Rejected);
        return;
    }
    // Nothing was written, so there is nothing to report about the controller.
    const safety::Taken& t = m_plan->safety();
    m_reported = true;
    fail(t.read.ok() ? texts::Verify("SafetySaveFailed").arg(t.error)
                     : texts::Verify("SafetyFailed").arg(safety::reasonText(t)));
}

QString TFormSchrijfParSoll::writeEndText(bool& red) const
{
    const transfer::Result& r = m_plan->write();
    red = r.outcome == transfer::Outcome::Refused;
    QString text = red ? PanelTekst[10] + u' ' + r.detail + u' ' + PanelTekst[11] : finishText();
    if (m_plan->selective())
        text += u'\n' + m_plan->skippedText();
    return text;
}

void TFormSchrijfParSoll::writeEnded()
{
    m_checking = false;
    if (m_plan->safety().ok())
        m_safetyPath = m_plan->safety().path;
    if (closeIfCancelRequested())
        return;
    const transfer::Result& r = m_plan->write();
    using O = transfer::Outcome;
    const char letter = r.item == transfer::Item::Compute    ? 'B'
                        : r.item == transfer::Item::Setpoint ? 'S'
                                                             : 'P';
    switch (r.outcome) {
    case O::Done: break;
    case O::Refused:
        if (r.item == transfer::Item::Compute)
            break;
        m_refused = true;
        fail(QStringLiteral("(er 7) ") + PanelTekst[9]);
        return;
    case O::BadReply: fail(unexpectedReplyText(r, letter)); return;
    case O::NoReply:
    case O::LineFailed: lineFailed(r.error); return;
    case O::Stopped: done(QDialog::Rejected); return;
    }
    bool red = false;
    const QString text = writeEndText(red);
    finish(text, red);
}

void TFormSchrijfParSoll::readBackEnded()
{
    m_checking = false;
    m_cancelRequested = false;
    m_readBack = m_plan->readBackValues();
    m_verify = m_plan->verifyResult();
    m_verified = m_plan->verified();
    const transfer::Result& w = m_plan->write();
    const QString stand = m_plan->standText();
    if (!w.ok() && w.outcome != transfer::Outcome::Refused) {
        // Every value went and was read back, but "bp" is unconfirmed: Continue asks
        // for it again.
        m_phase = Phase::Computing;
        m_canContinue = true;
        fail(stand + u'\n' + m_verify.text(4));
        CmdVerder->setEnabled(portOpen());
        m_lineWatch->start();
        CmdCompare->setVisible(m_verified && !m_verify.ok());
        return;
    }
    bool red = false;
    const QString text = writeEndText(red);
    if (!m_verified) {
        // The write itself ended; its proof is missing or incomplete, and what was
        // read before the read-back ended still counts.
        safety::Taken why;
        why.read = m_plan->readBack();
        QString line = stand + QStringLiteral(" (") + safety::reasonText(why) + u')';
        if (!m_verify.mismatches.isEmpty())
            line += u'\n' + m_verify.text(4);
        finish(text + u'\n' + line, true);
        return;
    }
    finish(text + u'\n' + m_verify.text(4), red || !m_verify.ok());
    Panel1->setToolTip(m_verify.text(100));
    CmdCompare->setVisible(!m_verify.ok());
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
    CommResult(PX400SchrijfParSoll, reply);
}

void TFormSchrijfParSoll::PX400BerekenParametersCommResult(const QByteArray& reply)
{
    CommResult(PX400BerekenParameters, reply);
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

// --- the question before a write ---------------------------------------------------------

namespace {
bool g_writeQuestion = true;
bool g_writeEveryValue = false;
} // namespace

bool writeQuestionOn() { return g_writeQuestion; }
void setWriteQuestionOn(bool on) { g_writeQuestion = on; }
bool writeEveryValueOn() { return g_writeEveryValue; }
void setWriteEveryValueOn(bool on) { g_writeEveryValue = on; }

int valuesOfMode(int mode)
{
    return mode == 1 ? SollCount : mode == 3 ? ParCount + SollCount
                                             : ParCount;
}

QString writeTargetText(int count)
{
    const AppState& s = app();
    const QString unknown = texts::Verify("TargetUnknown");
    auto known = [&](const QString& t) { return t.isEmpty() ? unknown : t; };
    QString port = unknown;
    if (s.SXComm1)
        port = s.SXComm1->displayName() + QStringLiteral(" (") + QString::fromStdString(s.SXComm1->devicePath())
               + u')';
    return QStringList{texts::Verify("WriteCount").arg(count), QString(),
                       texts::Verify("TargetType").arg(known(s.ApparaatRt)),
                       texts::Verify("TargetSerial").arg(known(s.ApparaatRx)),
                       texts::Verify("TargetUnit").arg(s.unitNumber()), texts::Verify("TargetPort").arg(port)}
        .join(u'\n');
}

bool confirmWrite(QWidget* parent, int count, const QString& lead, const QString& caption, bool always)
{
    if (!always && !writeQuestionOn())
        return true;
    QString text = lead.isEmpty() ? QString() : lead + QStringLiteral("\n\n");
    text += writeTargetText(count);
    if (lead.isEmpty())
        text += QStringLiteral("\n\n") + texts::Verify("WriteGoOn");
    return askYesDefaultNo(parent, caption.isEmpty() ? texts::Verify("WriteCaption") : caption, text);
}

} // namespace vx
