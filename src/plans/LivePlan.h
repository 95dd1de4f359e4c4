#pragma once
// The live monitor's cycle: identify the unit, then read a row of live values (one
// request after the other) every period. A lost line is reconnected as the main
// window does it (ReconnectPlan); the same controller resumes the rows, another
// one ends the cycle.
#include "device/LiveMonitor.h"
#include "plans/ReconnectPlan.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace vx::plans {

// A live value from a request's outcome (see vx::liveValue); none when it failed.
std::optional<qint32> liveValue(QStringView request, const Outcome& o);

struct LiveChoice {
    int unit = 0;
    bool select = true;     // false: the caller selected the unit; only identify
    QStringList requests;   // one row, in order ("r0", "r4", "ri", "rf", ...)
    int periodMs = 200;     // from one row to the next
    int rows = 0;           // 0: until asked to stop
    bool reconnect = true;  // a lost line is awaited and reconnected
    bool gaps = false;      // an unanswered value leaves an empty cell; the rows go on
    ReconnectTarget device; // path, by-id name and interval of the reconnect
};

class LivePlan : public Plan {
public:
    enum class State {
        Running,
        Done,            // every row read
        Stopped,         // asked to stop
        SelectFailed,    // the select went unanswered (failure())
        Failed,          // a value went unanswered, or the line failed (failure(), failedRequest())
        OtherController, // after a reconnect another controller answers (reconnected()->identity())
    };

    explicit LivePlan(LiveChoice choice);

    Step start() override;
    Step next(const Outcome& last) override;
    int done() const override { return m_rowsDone; }
    int total() const override { return m_choice.rows; }

    State state() const { return m_state; }
    const Identity& identity() const { return m_identity; }
    // After each outcome: a row was completed (row()), a reconnect began or ended.
    bool rowReady() const { return m_rowReady; }
    const QList<std::optional<qint32>>& row() const { return m_row; }
    bool lost() const { return m_lostNow; }
    bool resumed() const { return m_resumedNow; }
    // The reconnect under way or last made.
    const ReconnectPlan* reconnecting() const { return m_reconnect.get(); }
    const Outcome& failure() const { return m_failure; }
    const QString& failedRequest() const { return m_failedRequest; }

private:
    enum class Phase { Identify,
                       Row,
                       Wait,
                       Reconnect };
    Step request(int column);
    Step end(State s);
    Step afterRow();

    LiveChoice m_choice;
    Phase m_phase = Phase::Identify;
    State m_state = State::Running;
    std::unique_ptr<SelectPlan> m_select;
    std::unique_ptr<ReconnectPlan> m_reconnect;
    Identity m_identity;
    int m_column = 0;
    int m_rowsDone = 0;
    QList<std::optional<qint32>> m_row;
    bool m_rowReady = false;
    bool m_lostNow = false;
    bool m_resumedNow = false;
    Outcome m_failure;
    QString m_failedRequest;
};

} // namespace vx::plans
