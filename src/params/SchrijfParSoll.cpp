#include "params/SchrijfParSoll.h"
#include "device/ControllerLine.h"

#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "device/CommandSet.h"
#include "params/CompareWindow.h"
#include "params/ControllerImage.h"
#include "plans/AsyncRunner.h"
#include "plans/SafeWritePlan.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

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
    // Again is a new write: the same question first, and only what differs goes.
    if (!m_newRun && !confirmWrite(this, writtenSet()))
        return;
    if (m_newRun)
        m_writtenBefore.clear();
    else if (m_plan)
        m_writtenBefore += m_plan->writtenValues();
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
    // Again reads the controller again to know what differs, but keeps this run's
    // backup: a half-written controller must not replace the way back.
    if (safety::backupsOn()) {
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
    if (resume && m_plan)
        m_writtenBefore += m_plan->writtenValues();
    plans::SafeWritePlan::Job job;
    job.values = writtenSet();
    job.backup = backup;
    job.writeAll = writeEveryValueOn();
    // A restore computes in any case; a send after a parameter it wrote, or when one
    // was written since the controller last computed (the service dialog's Send).
    const ControllerImage* image = images::connected();
    job.computeAlways = Mode == 3 || (Mode != 1 && image && image->writtenSinceCompute());
    // Continue goes on with the same differing values.
    if (resume && m_plan && m_plan->selective())
        job.only = m_plan->selection();
    job.verify = safety::verifyOn();
    job.save = [unit = app().unitNumber(), kept = m_safetyPath](const safety::Identity& id, const TParWaarden& par,
                                                                const TSollWaarden& soll) {
        if (!kept.isEmpty()) {
            safety::Taken t;
            t.path = kept;
            return t;
        }
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
            recordBegin();
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

void TFormSchrijfParSoll::recordBegin()
{
    if (m_safetyPath.isEmpty())
        return;
    safety::WriteRecord r;
    r.rx = app().ApparaatRx;
    r.kind = m_kind.isEmpty() ? QString::fromLatin1(Mode == 3 ? "restore" : "send") : m_kind;
    r.started = QDateTime::currentDateTime();
    r.backup = m_safetyPath;
    const safety::WriteRecord kept = safety::writeBegins(safety::folder(), r);
    // An unfinished write before this one keeps its backup as the way back.
    m_safetyPath = kept.backup;
}

void TFormSchrijfParSoll::setKind(const QString& kind)
{
    m_kind = kind;
}

QString TFormSchrijfParSoll::writeEndText(bool& red) const
{
    const transfer::Result& r = m_plan->write();
    red = r.outcome == transfer::Outcome::Refused;
    QString text = red ? PanelTekst[10] + u' ' + r.detail + u' ' + PanelTekst[11] : finishText();
    if (!red && Mode != 1 && !m_plan->computed()) {
        // "Loaded" only after a "bp" the controller accepted.
        const bool setpoints = std::any_of(m_plan->writtenValues().begin(), m_plan->writtenValues().end(),
                                           [](const plans::ValueRef& v) { return v.item == transfer::Item::Setpoint; });
        text = texts::SchrijfParSoll(setpoints ? "SetpointsOnlySent" : "NothingToWrite");
    }
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
    if (!m_safetyPath.isEmpty())
        safety::writeEnds(safety::folder(), app().ApparaatRx);
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
    if (!m_safetyPath.isEmpty())
        safety::writeEnds(safety::folder(), app().ApparaatRx);
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

QString confirmedValuesText(const plans::ValueRefs& values)
{
    // "parameters 100, 203 to 205 and setpoints 35": runs of numbers as ranges.
    QStringList groups;
    for (const transfer::Item item : {transfer::Item::Parameter, transfer::Item::Setpoint}) {
        QList<int> numbers;
        for (const plans::ValueRef& v : values)
            if (v.item == item)
                numbers << v.number;
        std::sort(numbers.begin(), numbers.end());
        numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
        QStringList runs;
        for (qsizetype i = 0; i < numbers.size();) {
            qsizetype j = i;
            while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
                ++j;
            runs << (j == i ? QString::number(numbers[i])
                            : QStringLiteral("%1 %2 %3")
                                  .arg(numbers[i])
                                  .arg(texts::SchrijfParSoll("StopTo"))
                                  .arg(numbers[j]));
            i = j + 1;
        }
        if (!runs.isEmpty())
            groups << texts::SchrijfParSoll(item == transfer::Item::Parameter ? "StopParameterList" : "StopSetpointList")
                          .arg(runs.join(QStringLiteral(", ")));
    }
    return groups.join(u' ' + texts::SchrijfParSoll("StopAnd") + u' ');
}

QString TFormSchrijfParSoll::interruptedText() const
{
    // Only what the controller confirmed in this run counts, value by value: a write
    // of the differing values skips most numbers.
    plans::ValueRefs confirmed = m_writtenBefore;
    if (m_plan)
        confirmed += m_plan->writtenValues();
    std::sort(confirmed.begin(), confirmed.end(), [](const plans::ValueRef& a, const plans::ValueRef& b) {
        return a.item != b.item ? a.item < b.item : a.number < b.number;
    });
    confirmed.erase(std::unique(confirmed.begin(), confirmed.end()), confirmed.end());
    const int count = int(confirmed.size());
    const QString list = confirmedValuesText(confirmed);
    QStringList lines;
    const QString what = list.isEmpty() ? texts::SchrijfParSoll("StopNone") : list;
    lines << (count == 1 ? texts::SchrijfParSoll("StopConfirmedOne").arg(what)
                         : texts::SchrijfParSoll("StopConfirmed").arg(count).arg(what));
    const bool computing = m_phase == Phase::Computing;
    const bool parametersWritten = std::any_of(confirmed.begin(), confirmed.end(), [](const plans::ValueRef& v) {
        return v.item == transfer::Item::Parameter;
    });
    if (computing) {
        lines << texts::SchrijfParSoll("StopBpUnconfirmed");
        return lines.join(QStringLiteral("\n\r"));
    }
    // The value in flight, unless its confirmation came before the stop.
    const transfer::Item inFlight = m_phase == Phase::Setpoints ? transfer::Item::Setpoint : transfer::Item::Parameter;
    const bool asked = m_plan && m_plan->phase() == plans::SafeWritePlan::Phase::Write;
    const bool open = asked && !confirmed.contains(plans::ValueRef{inFlight, m_counter});
    if (open) {
        const QString item = inFlight == transfer::Item::Parameter ? texts::SchrijfParSoll("StopParameter").arg(m_counter)
                                                                   : texts::SchrijfParSoll("StopSetpoint").arg(m_counter);
        lines << texts::SchrijfParSoll(m_refused ? "StopRefused" : "StopUnconfirmed").arg(item);
    }
    if (count > 0 || (open && !m_refused))
        lines << texts::SchrijfParSoll("StopMixed");
    if (Mode != 1 && (parametersWritten || (open && !m_refused && inFlight == transfer::Item::Parameter)))
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

namespace {
QString targetText(const QString& countLine);
} // namespace

QString controllerNote(const compare::ValueSet& document, bool fromController, const QDateTime& since,
                       int documentDecimals)
{
    const ControllerImage* image = images::connected();
    if (!image)
        return QString();
    QStringList notes;
    if (fromController && image->newerThan(document, since) > 0)
        notes << texts::Verify("OlderTitle");
    if (const std::optional<int> d = image->decimals(); d && documentDecimals >= 0 && *d != documentDecimals)
        notes << texts::Verify("DecimalsDiffer").arg(documentDecimals).arg(*d);
    return notes.isEmpty() ? QString() : QStringLiteral(" (") + notes.join(QStringLiteral("; ")) + u')';
}

int olderThanController(const compare::ValueSet& document, bool fromController, const QDateTime& since)
{
    const ControllerImage* image = images::connected();
    return image && fromController ? image->newerThan(document, since) : 0;
}

QMessageBox::StandardButton askOlderSet(QWidget* parent, const compare::ValueSet& document, bool fromController,
                                        const QDateTime& since)
{
    const int older = olderThanController(document, fromController, since);
    if (older <= 0)
        return QMessageBox::No;
    return ui().message(parent, QMessageBox::Warning, texts::Verify("WriteCaption"), texts::Verify("WriteOlder").arg(older),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

QString writeKindText(const QString& kind)
{
    if (kind == QLatin1String("restore"))
        return texts::SchrijfParSoll("KindRestore");
    if (kind == QLatin1String("undo"))
        return texts::SchrijfParSoll("KindUndo");
    return texts::SchrijfParSoll("KindSend");
}

QString unfinishedWriteNote()
{
    if (!safety::backupsOn())
        return QString();
    const auto last = safety::lastWrite(safety::folder(), app().ApparaatRx);
    if (!last || last->finished || app().ApparaatRx.isEmpty())
        return QString();
    return texts::SchrijfParSoll("Unfinished")
        .arg(writeKindText(last->kind), QLocale().toString(last->started, QLocale::ShortFormat),
             QDir::toNativeSeparators(last->backup));
}

QString writeTargetText(int count)
{
    return targetText(texts::Verify("WriteCount").arg(count));
}

QString writeCountLine(const compare::ValueSet& set)
{
    const int all = (set.hasParameters ? ParCount : 0) + (set.hasSetpoints ? SollCount : 0);
    // Without the backup's read nothing is known to be equal: every value goes.
    if (writeEveryValueOn() || !safety::backupsOn())
        return texts::Verify("WriteCount").arg(all);
    const ControllerImage* image = images::connected();
    if (image && image->holdsAll({set.hasParameters, set.hasSetpoints}))
        return texts::Verify("WriteDiffering")
            .arg(image->differing(set))
            .arg(all)
            .arg(QLocale().toString(image->changedAt(), QLocale::ShortFormat));
    return texts::Verify("WriteUpTo").arg(all);
}

namespace {
// The one question before a write: a caller's lead, the target with its count line, a
// note, then "Go on?" when there is no lead.
bool askWrite(QWidget* parent, const QString& lead, const QString& target, const QString& note,
              const QString& caption, bool always)
{
    if (!always && !writeQuestionOn())
        return true;
    QString text = lead.isEmpty() ? QString() : lead + QStringLiteral("\n\n");
    text += target;
    if (!note.isEmpty())
        text += QStringLiteral("\n\n") + note;
    if (lead.isEmpty())
        text += QStringLiteral("\n\n") + texts::Verify("WriteGoOn");
    return askYesDefaultNo(parent, caption.isEmpty() ? texts::Verify("WriteCaption") : caption, text);
}
} // namespace

bool confirmWrite(QWidget* parent, const compare::ValueSet& set, const QString& lead, const QString& caption,
                  bool always)
{
    return askWrite(parent, lead, targetText(writeCountLine(set)), unfinishedWriteNote(), caption, always);
}

namespace {
QString targetText(const QString& countLine)
{
    const AppState& s = app();
    const QString unknown = texts::Verify("TargetUnknown");
    auto known = [&](const QString& t) { return t.isEmpty() ? unknown : t; };
    QString port = unknown;
    if (s.SXComm1)
        port = s.SXComm1->displayName() + QStringLiteral(" (") + QString::fromStdString(s.SXComm1->devicePath())
               + u')';
    return QStringList{countLine, QString(),
                       texts::Verify("TargetType").arg(known(s.ApparaatRt)),
                       texts::Verify("TargetSerial").arg(known(s.ApparaatRx)),
                       texts::Verify("TargetUnit").arg(s.unitNumber()), texts::Verify("TargetPort").arg(port)}
        .join(u'\n');
}
} // namespace

bool confirmWrite(QWidget* parent, int count, const QString& lead, const QString& caption, bool always)
{
    return askWrite(parent, lead, writeTargetText(count), QString(), caption, always);
}

} // namespace vx
