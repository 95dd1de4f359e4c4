#pragma once
// The jobs over every unit of a bus: a search that goes on past each find, a backup
// of each unit in turn, and the overview's slow poll. Plans without I/O, as every
// job on the line; files are the caller's.
#include "fleet/Units.h"
#include "params/SetTransfer.h"
#include "plans/LiveSelect.h"
#include "plans/SearchPlan.h"
#include "plans/TransferPlans.h"

#include <functional>
#include <memory>

namespace vx::fleet {

// Every unit the choice reaches, each once: one search after another, each going on
// after the last find, until every probe is made (a found unit's counts as made).
class BusSearchPlan : public plans::Plan {
public:
    struct Hit {
        plans::Probe probe;
        plans::Identity identity;
    };
    explicit BusSearchPlan(plans::SearchChoice choice);

    plans::Step start() override;
    plans::Step next(const plans::Outcome& last) override;
    int done() const override { return m_search ? m_search->done() : 0; }
    int total() const override { return m_choice.count(); }

    const QList<Hit>& hits() const { return m_hits; }
    // Why the search ended early: a port that failed, or a stop; Exhausted when it ran out.
    plans::SearchPlan::State state() const { return m_state; }
    const plans::Outcome& failure() const { return m_search ? m_search->failure() : m_none; }

private:
    plans::Step follow(plans::Step s);

    plans::SearchChoice m_choice;
    std::unique_ptr<plans::SearchPlan> m_search;
    QList<Hit> m_hits;
    plans::SearchPlan::State m_state = plans::SearchPlan::State::Searching;
    plans::Outcome m_none;
};

// One unit's backup as it ended.
struct UnitBackup {
    KnownUnit unit; // with the identification read now
    bool ok = false;
    QString path;   // the saved file
    QString reason; // why not
};

// Backs up each unit in turn: its line settings, "sc" and "rt"/"rh"/"rx", then every
// parameter and setpoint, then the caller's save. A unit that fails is told and the
// next one goes on; only a stop ends it early.
class BackupAllPlan : public plans::Plan {
public:
    // Saves one unit's values; the path, or the reason in error.
    using SaveFn = std::function<QString(const KnownUnit&, const TParWaarden&, const TSollWaarden&, QString& error)>;

    BackupAllPlan(QList<KnownUnit> units, SaveFn save);

    plans::Step start() override;
    plans::Step next(const plans::Outcome& last) override;
    int done() const override;
    int total() const override { return int(m_units.size()) * (ParCount + SollCount); }

    // The unit under way (its index), and the results so far.
    int current() const { return m_index; }
    const QList<UnitBackup>& results() const { return m_results; }
    int failed() const;

private:
    enum class Phase { Line,
                       Select,
                       Read };
    plans::Step startUnit();
    plans::Step endUnit(bool ok, const QString& reason);

    QList<KnownUnit> m_units;
    SaveFn m_save;
    int m_index = 0;
    Phase m_phase = Phase::Line;
    std::unique_ptr<plans::SelectPlan> m_select;
    std::unique_ptr<plans::SetReadPlan> m_read;
    TParWaarden m_par;
    TSollWaarden m_soll;
    QList<UnitBackup> m_results;
    bool m_stopped = false;
};

// Saves one unit's values as folder/<type>_<serial>_u<unit>_<date>.bak with its
// manifest (kind all-units); the path, or empty with the reason in error.
QString saveUnitBackup(const QString& folder, const QString& port, const KnownUnit& unit, const TParWaarden& par,
                       const TSollWaarden& soll, QString& error);

// Why a transfer ended, in a few words ("no reply to rp 12").
QString transferReason(const transfer::Result& r);

// The overview's poll: one unit at a time, "sc N" then "rf" (the error number),
// with a pause before every request, so the line carries fewer than
// 1000 / gapMs requests a second. Runs until stopped.
class BusPollPlan : public plans::Plan {
public:
    struct State {
        bool known = false; // polled at least once
        bool live = false;
        int error = -1; // "rf": -1 none
    };
    static constexpr int DefaultGapMs = 300;

    explicit BusPollPlan(QList<KnownUnit> units, int gapMs = DefaultGapMs);

    plans::Step start() override;
    plans::Step next(const plans::Outcome& last) override;

    const QList<State>& states() const { return m_states; }
    // Called after each unit's state is taken (its index).
    std::function<void(int)> onState;

private:
    enum class Phase { Line,
                       Pause,
                       Select,
                       Error };
    plans::Step toUnit(int index);
    plans::Step take(bool live, int error);

    QList<KnownUnit> m_units;
    int m_gapMs;
    QList<State> m_states;
    int m_index = 0;
    Phase m_phase = Phase::Line;
    bool m_lineKnown = false;
    plans::LineSettings m_line;
    plans::Step m_after; // the request the pause stands before
};

} // namespace vx::fleet
