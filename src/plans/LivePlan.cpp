#include "plans/LivePlan.h"

namespace vx::plans {

std::optional<qint32> liveValue(QStringView request, const Outcome& o)
{
    if (o.failed())
        return std::nullopt;
    return vx::liveValue(request, o.checked);
}

LivePlan::LivePlan(LiveChoice choice) : m_choice(std::move(choice)) { }

Step LivePlan::end(State s)
{
    m_state = s;
    return Step::finished();
}

Step LivePlan::request(int column)
{
    m_phase = Phase::Row;
    m_column = column;
    Request r;
    r.text = m_choice.requests.value(column);
    r.replyLimit = liveReplyLimit(r.text);
    return Step::send(r);
}

Step LivePlan::start()
{
    m_state = State::Running;
    m_rowsDone = 0;
    m_phase = Phase::Identify;
    m_select = std::make_unique<SelectPlan>(m_choice.unit, m_choice.select);
    return m_select->start();
}

Step LivePlan::afterRow()
{
    if (m_choice.rows > 0 && m_rowsDone >= m_choice.rows)
        return end(State::Done);
    if (stopRequested())
        return end(State::Stopped);
    m_phase = Phase::Wait;
    return Step::wait(m_choice.periodMs);
}

Step LivePlan::next(const Outcome& last)
{
    m_rowReady = false;
    m_lostNow = false;
    m_resumedNow = false;
    switch (m_phase) {
    case Phase::Identify: {
        Step step = m_select->next(last);
        if (!step.isFinished())
            return step;
        if (m_select->state() == SelectPlan::State::SelectFailed) {
            m_failure = m_select->failure();
            m_failedRequest = cmd::selectUnit(m_choice.unit);
            return end(State::SelectFailed);
        }
        // An unreadable identity is kept as such: a reconnect then cannot prove the
        // same controller answers, and refuses.
        m_identity = m_select->identity();
        if (m_choice.requests.isEmpty())
            return end(State::Done);
        if (stopRequested())
            return end(State::Stopped);
        m_row.clear();
        return request(0);
    }
    case Phase::Row: {
        const QString& rq = m_choice.requests[m_column];
        if (last.failed() && (portGone(last) || !m_choice.gaps)) {
            if (portGone(last) && m_choice.reconnect) {
                ReconnectTarget t = m_choice.device;
                t.unit = m_choice.unit;
                t.before = m_identity;
                m_reconnect = std::make_unique<ReconnectPlan>(t);
                m_phase = Phase::Reconnect;
                m_lostNow = true;
                m_failure = last;
                return m_reconnect->start();
            }
            m_failure = last;
            m_failedRequest = rq;
            return end(State::Failed);
        }
        if (m_column == 0)
            m_row.clear();
        m_row << liveValue(rq, last);
        if (m_column + 1 < m_choice.requests.size())
            return request(m_column + 1);
        ++m_rowsDone;
        m_rowReady = true;
        return afterRow();
    }
    case Phase::Wait:
        if (stopRequested())
            return end(State::Stopped);
        return request(0);
    case Phase::Reconnect: {
        if (stopRequested())
            m_reconnect->requestStop();
        Step step = m_reconnect->next(last);
        if (!step.isFinished())
            return step;
        switch (m_reconnect->state()) {
        case ReconnectPlan::State::Same:
            // A row cut by the loss is dropped; the next one starts at once.
            m_resumedNow = true;
            m_row.clear();
            return request(0);
        case ReconnectPlan::State::Different: return end(State::OtherController);
        default: return end(State::Stopped);
        }
    }
    }
    return end(State::Stopped);
}

} // namespace vx::plans
