#include "plans/ReconnectPlan.h"

namespace vx::plans {

ReconnectPlan::ReconnectPlan(ReconnectTarget target) : m_target(std::move(target)) { }

const Identity& ReconnectPlan::identity() const
{
    static const Identity none;
    return m_select ? m_select->identity() : none;
}

Step ReconnectPlan::waitAndTry()
{
    m_phase = Phase::Wait;
    m_state = State::Waiting;
    return Step::wait(m_target.intervalMs);
}

Step ReconnectPlan::open(Phase phase, const QString& device)
{
    m_phase = phase;
    m_openedOn = device;
    return Step::reopen(device);
}

Step ReconnectPlan::identify()
{
    m_phase = Phase::Select;
    m_state = State::Identifying;
    m_select = std::make_unique<SelectPlan>(m_target.unit);
    return m_select->start();
}

Step ReconnectPlan::start()
{
    m_tries = 0;
    return waitAndTry();
}

Step ReconnectPlan::next(const Outcome& last)
{
    if (stopRequested() && m_phase != Phase::Select) {
        m_state = State::Stopped;
        return Step::finished();
    }
    switch (m_phase) {
    case Phase::Wait:
        ++m_tries;
        return open(Phase::OpenPath, m_target.path);
    case Phase::OpenPath:
        if (!last.failed())
            return identify();
        // The same adapter may come back under another number; its by-id name stays.
        if (!m_target.byId.isEmpty() && m_target.byId != m_target.path)
            return open(Phase::OpenById, m_target.byId);
        return waitAndTry();
    case Phase::OpenById:
        return last.failed() ? waitAndTry() : identify();
    case Phase::Select: {
        if (stopRequested())
            m_select->requestStop();
        Step step = m_select->next(last);
        if (!step.isFinished())
            return step;
        switch (m_select->state()) {
        case SelectPlan::State::Identified:
            m_state = m_select->identity().sameController(m_target.before) ? State::Same : State::Different;
            return Step::finished();
        case SelectPlan::State::Stopped: m_state = State::Stopped; return Step::finished();
        case SelectPlan::State::SelectFailed:
        case SelectPlan::State::IdentFailed:
        case SelectPlan::State::Running:
            // Silent or lost again: still starting up, or gone once more. Only a
            // controller that says who it is ends the reconnect.
            if (portGone(last))
                return waitAndTry();
            m_phase = Phase::WaitSelect;
            return Step::wait(m_target.intervalMs);
        }
        return Step::finished();
    }
    case Phase::WaitSelect: return identify();
    }
    return Step::finished();
}

} // namespace vx::plans
