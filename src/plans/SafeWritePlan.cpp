#include "plans/SafeWritePlan.h"

#include "core/LanguageTexts.h"

#include <algorithm>

namespace vx::plans {

using Ended = transfer::Outcome;

namespace {
const char* const IdentityRequests[] = {cmd::ReadType, cmd::ReadIdent3};
}

ValueRefs differing(const compare::ValueSet& wanted, const TParWaarden& par, const TSollWaarden& soll)
{
    ValueRefs out;
    if (wanted.hasParameters)
        for (int n = TParWaarden::first; n <= TParWaarden::last; ++n)
            if (wanted.par.value(n) != par.value(n))
                out.push_back({Item::Parameter, n});
    if (wanted.hasSetpoints)
        for (int n = TSollWaarden::first; n <= TSollWaarden::last; ++n)
            if (wanted.soll.value(n) != soll.value(n))
                out.push_back({Item::Setpoint, n});
    return out;
}

SafeWritePlan::SafeWritePlan(Job job) : m_job(std::move(job)), m_selection(m_job.only) { }

void SafeWritePlan::resumeWriteAt(Item item, int number)
{
    m_resume = true;
    m_resumeItem = item;
    m_resumeNumber = number;
}

SetPlan* SafeWritePlan::active()
{
    switch (m_phase) {
    case Phase::Identity: return nullptr;
    case Phase::Backup: return m_backupRead.get();
    case Phase::Write: return m_writePlan.get();
    case Phase::ReadBack: return m_readBackPlan.get();
    }
    return nullptr;
}

const SetPlan* SafeWritePlan::current() const
{
    return const_cast<SafeWritePlan*>(this)->active();
}

QString SafeWritePlan::identityRequest() const
{
    return QLatin1String(IdentityRequests[m_identityIndex]);
}

int SafeWritePlan::done() const
{
    const SetPlan* p = current();
    return p ? p->done() : 0;
}

int SafeWritePlan::total() const
{
    const SetPlan* p = current();
    return p ? p->total() : 0;
}

void SafeWritePlan::lineDown()
{
    if (SetPlan* p = active())
        p->lineDown();
    else
        m_identity.lineDown();
}

Step SafeWritePlan::start()
{
    m_safety = {};
    m_write = {};
    m_readBack = {};
    m_wrote = m_verified = false;
    m_verify = {};
    if (!m_job.backup || m_resume)
        return startWrite();
    m_phase = Phase::Identity;
    m_identityIndex = 0;
    if (stopRequested()) {
        m_safety.read.outcome = Ended::Stopped;
        return Step::finished();
    }
    return m_identity.begin(ValueExchange::Kind::Text, Item::Parameter, -1, identityRequest(),
                            transfer::ReadTimeoutMs, m_job.channels.check, m_job.rules);
}

Step SafeWritePlan::next(const Outcome& last)
{
    if (stopRequested())
        if (SetPlan* p = active())
            p->requestStop();
    switch (m_phase) {
    case Phase::Identity: return identityNext(last);
    case Phase::Backup: return backupNext(last);
    case Phase::Write: return writeNext(last);
    case Phase::ReadBack: return readBackNext(last);
    }
    return Step::finished();
}

Step SafeWritePlan::identityNext(const Outcome& last)
{
    if (auto repeat = m_identity.take(last)) {
        if (!stopRequested())
            return *repeat;
        m_safety.read.outcome = Ended::Stopped;
        return Step::finished();
    }
    if (!m_identity.result().ok()) {
        m_safety.read = m_identity.result();
        m_safety.failedRequest = identityRequest();
        return Step::finished();
    }
    if (m_identityIndex == 0) {
        m_id.type = cmd::controllerType(m_identity.text());
        m_identityIndex = 1;
        if (stopRequested()) {
            m_safety.read.outcome = Ended::Stopped;
            return Step::finished();
        }
        return m_identity.begin(ValueExchange::Kind::Text, Item::Parameter, -1, identityRequest(),
                                transfer::ReadTimeoutMs, m_job.channels.check, m_job.rules);
    }
    m_id.rx = m_identity.text();
    m_phase = Phase::Backup;
    m_backupRead = std::make_unique<SetReadPlan>(transfer::Sets{true, true}, m_backupPar, m_backupSoll,
                                                 m_job.channels.check, m_job.rules);
    if (stopRequested())
        m_backupRead->requestStop();
    Step s = m_backupRead->start();
    if (s.isFinished())
        m_safety.read = m_backupRead->result();
    return s;
}

Step SafeWritePlan::backupNext(const Outcome& last)
{
    Step s = m_backupRead->next(last);
    if (!s.isFinished())
        return s;
    const transfer::Result read = m_backupRead->result();
    m_safety.read = read;
    if (!read.ok())
        return Step::finished();
    // Nothing is written unless the way back is on disk.
    if (m_job.save)
        m_safety = m_job.save(m_id, m_backupPar, m_backupSoll);
    else
        m_safety.error = QStringLiteral("no place to save");
    m_safety.read = read;
    if (!m_safety.ok())
        return Step::finished();
    // The backup is the controller as it is: what equals it needs no write.
    if (!m_job.writeAll)
        m_selection = differing(m_job.values, m_backupPar, m_backupSoll);
    if (stopRequested()) {
        m_write.outcome = Ended::Stopped;
        m_phase = Phase::Write;
        return Step::finished();
    }
    return startWrite();
}

Step SafeWritePlan::startWrite()
{
    m_phase = Phase::Write;
    const compare::ValueSet& v = m_job.values;
    bool compute = m_job.compute;
    if (m_selection && !m_job.computeAlways)
        compute = compute && std::any_of(m_selection->begin(), m_selection->end(), [](const ValueRef& r) { return r.item == Item::Parameter; });
    m_writePlan = std::make_unique<SetWritePlan>(transfer::Sets{v.hasParameters, v.hasSetpoints}, v.par, v.soll,
                                                 compute,
                                                 TransferChannels{m_job.channels.write, m_job.channels.compute},
                                                 m_job.rules);
    if (m_selection)
        m_writePlan->only(*m_selection);
    if (m_resume)
        m_writePlan->resumeAt(m_resumeItem, m_resumeNumber);
    if (stopRequested())
        m_writePlan->requestStop();
    m_wrote = true;
    const Step s = m_writePlan->start();
    return s.isFinished() ? writeEnded() : s;
}

Step SafeWritePlan::writeNext(const Outcome& last)
{
    const Step s = m_writePlan->next(last);
    return s.isFinished() ? writeEnded() : s;
}

const ValueRefs& SafeWritePlan::writtenValues() const
{
    static const ValueRefs none;
    return m_writePlan ? m_writePlan->confirmedValues() : none;
}

bool SafeWritePlan::allWritten() const
{
    return m_wrote && m_writePlan && (m_write.ok() || m_write.item == Item::Compute);
}

Step SafeWritePlan::writeEnded()
{
    m_write = m_writePlan->result();
    // Once every value went they are read back, also when "bp" was refused or got no
    // usable reply: values the controller kept old must come to light. Not over a
    // failed line, nor after a stop.
    const bool lineUsable = m_write.outcome != Ended::LineFailed && m_write.outcome != Ended::Stopped;
    if (!allWritten() || !lineUsable || !m_job.verify || stopRequested())
        return Step::finished();
    return startReadBack();
}

Step SafeWritePlan::startReadBack()
{
    m_phase = Phase::ReadBack;
    m_back = {};
    m_back.hasParameters = m_job.values.hasParameters;
    m_back.hasSetpoints = m_job.values.hasSetpoints;
    m_readBackPlan = std::make_unique<SetReadPlan>(transfer::Sets{m_back.hasParameters, m_back.hasSetpoints},
                                                   m_back.par, m_back.soll, m_job.channels.check, m_job.rules);
    const Step s = m_readBackPlan->start();
    return s.isFinished() ? readBackEnded() : s;
}

Step SafeWritePlan::readBackNext(const Outcome& last)
{
    const Step s = m_readBackPlan->next(last);
    return s.isFinished() ? readBackEnded() : s;
}

Step SafeWritePlan::readBackEnded()
{
    m_readBack = m_readBackPlan->result();
    const QList<verify::Written> all = verify::wholeSet(m_job.values);
    m_verified = m_readBack.ok();
    // The values read before an incomplete read-back still prove or disprove theirs.
    m_verify = verify::check(m_verified ? all : all.mid(0, m_readBack.confirmed), m_back);
    return Step::finished();
}

QString SafeWritePlan::standText() const
{
    if (!allWritten())
        return QString();
    // A refused "bp" is an answer, said by its own text.
    const bool bpOpen = !m_write.ok() && m_write.outcome != Ended::Refused;
    const bool readBackFailed = m_job.verify && !m_verified;
    if (!bpOpen && !readBackFailed)
        return QString();
    const int total = int(verify::wholeSet(m_job.values).size());
    QStringList parts;
    parts << texts::Verify(bpOpen ? "WrittenBpOpen" : "Written").arg(m_write.confirmed).arg(writeTotal());
    if (readBackFailed)
        parts << (readBackRan() ? texts::Verify("ReadBackIncomplete").arg(m_verify.verified).arg(total)
                                : texts::Verify("ReadBackNotDone"));
    return parts.join(QStringLiteral("; "));
}

int SafeWritePlan::writeTotal() const
{
    return m_selection ? int(m_selection->size()) : int(verify::wholeSet(m_job.values).size());
}

int SafeWritePlan::skipped() const
{
    return m_selection ? int(verify::wholeSet(m_job.values).size() - m_selection->size()) : 0;
}

QString SafeWritePlan::skippedText() const
{
    if (!m_selection)
        return QString();
    return texts::Verify("DiffWritten").arg(m_selection->size()).arg(skipped());
}

} // namespace vx::plans
