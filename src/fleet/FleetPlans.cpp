#include "fleet/FleetPlans.h"

#include "params/Manifest.h"
#include "params/ParFormats.h"

#include <QDate>
#include <QDir>

namespace vx::fleet {

using plans::Outcome;
using plans::Step;

// --- search ----------------------------------------------------------------------------

BusSearchPlan::BusSearchPlan(plans::SearchChoice choice) : m_choice(std::move(choice)) { }

Step BusSearchPlan::start()
{
    m_hits.clear();
    m_search = std::make_unique<plans::SearchPlan>(m_choice);
    return follow(m_search->start());
}

Step BusSearchPlan::next(const Outcome& last)
{
    if (stopRequested())
        m_search->requestStop();
    return follow(m_search->next(last));
}

Step BusSearchPlan::follow(Step s)
{
    // Each find ends a search; the next goes on after it.
    while (s.isFinished()) {
        m_state = m_search->state();
        if (m_state != plans::SearchPlan::State::Found)
            return s;
        m_hits.append({m_search->probe(), m_search->identity()});
        if (stopRequested()) {
            m_state = plans::SearchPlan::State::Stopped;
            return s;
        }
        // A unit answers at one address: its other line settings are passed over, so
        // a line that does not care for them (a raw network port) lists it once, at
        // the settings it answered at first.
        const plans::Probe after = m_search->probe();
        QSet<plans::Probe> made = m_search->made();
        for (int i = 0; i < m_choice.count(); ++i)
            if (const plans::Probe p = m_choice.at(i); p.unit == after.unit)
                made.insert(p);
        m_search = std::make_unique<plans::SearchPlan>(m_choice, made, after);
        s = m_search->start();
    }
    return s;
}

// --- backup of every unit -------------------------------------------------------------

QString saveUnitBackup(const QString& folder, const QString& port, const KnownUnit& unit, const TParWaarden& par,
                       const TSollWaarden& soll, QString& error)
{
    const QString path = QDir(folder).filePath(backupName(unit.rt, unit.rx, unit.unit, QDate::currentDate()));
    const QByteArray bytes = files::backupFileBytes(par, soll);
    manifest::Manifest m = manifest::describe(bytes, QLatin1String(manifest::KindAllUnits));
    m.rt = unit.rt;
    m.rh = unit.rh;
    m.rx = unit.rx;
    m.unit = unit.unit;
    m.port = port;
    m.line = lineText(unit.line, unit.dataBits);
    return manifest::saveBackup(path, bytes, m, &error) ? path : QString();
}

QString transferReason(const transfer::Result& r)
{
    const QString what = r.item == transfer::Item::Setpoint  ? QStringLiteral("rs %1").arg(r.number)
                         : r.item == transfer::Item::Compute ? QStringLiteral("bp")
                                                             : QStringLiteral("rp %1").arg(r.number);
    switch (r.outcome) {
    case transfer::Outcome::NoReply: return QStringLiteral("no reply to %1").arg(what);
    case transfer::Outcome::LineFailed: return QStringLiteral("line lost at %1").arg(what);
    case transfer::Outcome::Refused: return QStringLiteral("%1 refused").arg(what);
    case transfer::Outcome::BadReply: return QStringLiteral("unusable reply to %1").arg(what);
    case transfer::Outcome::Stopped: return QStringLiteral("stopped");
    case transfer::Outcome::Done: break;
    }
    return QString();
}

BackupAllPlan::BackupAllPlan(QList<KnownUnit> units, SaveFn save) : m_units(std::move(units)), m_save(std::move(save))
{
}

int BackupAllPlan::done() const
{
    const int each = ParCount + SollCount;
    return int(m_results.size()) * each + (m_read && m_index < m_units.size() ? m_read->done() : 0);
}

int BackupAllPlan::failed() const
{
    return int(std::count_if(m_results.begin(), m_results.end(), [](const UnitBackup& b) { return !b.ok; }));
}

Step BackupAllPlan::start()
{
    m_index = 0;
    m_results.clear();
    return startUnit();
}

Step BackupAllPlan::startUnit()
{
    m_select.reset();
    m_read.reset();
    if (m_index >= m_units.size() || stopRequested())
        return Step::finished();
    m_phase = Phase::Line;
    return Step::setLine(m_units[m_index].line);
}

Step BackupAllPlan::endUnit(bool ok, const QString& reason)
{
    UnitBackup b;
    b.unit = m_units[m_index];
    if (m_select) {
        const plans::Identity& id = m_select->identity();
        b.unit.rt = id.type.value_or(b.unit.rt).trimmed();
        b.unit.rh = id.ident2.value_or(b.unit.rh).trimmed();
        b.unit.rx = id.ident3.value_or(b.unit.rx).trimmed();
    }
    b.ok = ok;
    b.reason = reason;
    if (ok) {
        QString error;
        b.path = m_save(b.unit, m_par, m_soll, error);
        b.ok = !b.path.isEmpty();
        b.reason = error;
    }
    m_results << b;
    ++m_index;
    return startUnit();
}

Step BackupAllPlan::next(const Outcome& last)
{
    switch (m_phase) {
    case Phase::Line:
        if (last.failed())
            return endUnit(false, last.errorText);
        m_phase = Phase::Select;
        m_select = std::make_unique<plans::SelectPlan>(m_units[m_index].unit);
        m_select->checkEveryReply();
        return m_select->start();
    case Phase::Select: {
        Step s = m_select->next(last);
        if (!s.isFinished())
            return s;
        if (m_select->state() != plans::SelectPlan::State::Identified) {
            const Outcome& f = m_select->failure();
            const QString request = m_select->failedRequest();
            return endUnit(false, f.noReply()  ? QStringLiteral("no reply to %1").arg(request)
                                  : f.failed() ? QStringLiteral("line lost at %1").arg(request)
                                               : QStringLiteral("unusable reply to %1").arg(request));
        }
        if (stopRequested())
            return endUnit(false, QStringLiteral("stopped"));
        m_phase = Phase::Read;
        m_par.fill(0);
        m_soll.fill(0);
        m_read = std::make_unique<plans::SetReadPlan>(transfer::Sets{}, m_par, m_soll);
        return m_read->start();
    }
    case Phase::Read: {
        if (stopRequested())
            m_read->requestStop();
        Step s = m_read->next(last);
        if (!s.isFinished())
            return s;
        return endUnit(m_read->result().ok(), transferReason(m_read->result()));
    }
    }
    return Step::finished();
}

// --- the overview's poll --------------------------------------------------------------

BusPollPlan::BusPollPlan(QList<KnownUnit> units, int gapMs)
    : m_units(std::move(units)), m_gapMs(gapMs), m_states(m_units.size())
{
}

Step BusPollPlan::start()
{
    m_index = 0;
    m_lineKnown = false;
    return toUnit(0);
}

Step BusPollPlan::toUnit(int index)
{
    if (m_units.isEmpty() || stopRequested())
        return Step::finished();
    m_index = index % int(m_units.size());
    const KnownUnit& u = m_units[m_index];
    m_after = Step::send(cmd::selectUnit(u.unit));
    if (!m_lineKnown || !(m_line == u.line)) {
        m_phase = Phase::Line;
        return Step::setLine(u.line);
    }
    m_phase = Phase::Pause;
    return Step::wait(m_gapMs);
}

Step BusPollPlan::take(bool live, int error)
{
    State& s = m_states[m_index];
    s.known = true;
    s.live = live;
    s.error = live ? error : s.error;
    if (onState)
        onState(m_index);
    return toUnit(m_index + 1);
}

Step BusPollPlan::next(const Outcome& last)
{
    if (stopRequested())
        return Step::finished();
    switch (m_phase) {
    case Phase::Line:
        m_lineKnown = !last.failed();
        m_line = m_units[m_index].line;
        m_phase = Phase::Pause;
        // A port that refuses the settings is not asked again at once.
        if (last.failed())
            m_after = Step::wait(m_gapMs);
        return Step::wait(m_gapMs);
    case Phase::Pause:
        if (m_after.kind == Step::Kind::Wait)
            return take(false, -1);
        m_phase = m_after.request.text.startsWith(QLatin1String("sc")) ? Phase::Select : Phase::Error;
        return m_after;
    case Phase::Select:
        if (last.failed() || !cmd::isProbeHit(last.reply, m_units[m_index].unit))
            return take(false, -1);
        m_after = Step::send(QLatin1String(cmd::ReadError));
        m_phase = Phase::Pause;
        return Step::wait(m_gapMs);
    case Phase::Error: {
        if (!last.answered())
            return take(!last.failed(), m_states[m_index].error);
        const QString v = last.checked.value;
        return take(true, cmd::isNoError(v) ? -1 : int(last.checked.number.value_or(-1)));
    }
    }
    return Step::finished();
}

} // namespace vx::fleet
