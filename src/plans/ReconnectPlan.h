#pragma once
// Reconnecting after the line was lost (an adapter pulled out): wait, open the same
// device again, or the adapter's /dev/serial/by-id name should it come back under
// another number, then select and identify the unit. The same controller means the
// caller resumes; another one is refused until the user says otherwise.
#include "plans/LiveSelect.h"

#include <memory>

namespace vx::plans {

struct ReconnectTarget {
    QString path;         // the device the lost port led to; empty: the port's own
    QString byId;         // its stable by-id name, or empty
    int unit = 0;         // the unit that was selected
    Identity before;      // who answered before the loss
    int intervalMs = 250; // between tries
};

class ReconnectPlan : public Plan {
public:
    enum class State {
        Waiting,     // the device is not back yet
        Identifying, // open again; select and identification under way
        Same,        // the controller of before answers
        Different,   // another controller answers (identity() says who)
        Stopped,
    };

    explicit ReconnectPlan(ReconnectTarget target);

    Step start() override;
    Step next(const Outcome& last) override;

    State state() const { return m_state; }
    const ReconnectTarget& target() const { return m_target; }
    const Identity& identity() const;
    // The select and identification under way, for a window that shows each step.
    const SelectPlan* selecting() const { return m_select.get(); }
    // The device the port was opened on (path or byId).
    const QString& openedOn() const { return m_openedOn; }
    int tries() const { return m_tries; }

private:
    enum class Phase { Wait,
                       OpenPath,
                       OpenById,
                       Select,
                       WaitSelect };
    Step waitAndTry();
    Step open(Phase phase, const QString& device);
    Step identify();

    ReconnectTarget m_target;
    Phase m_phase = Phase::Wait;
    State m_state = State::Waiting;
    std::unique_ptr<SelectPlan> m_select;
    QString m_openedOn;
    int m_tries = 0;
};

} // namespace vx::plans
