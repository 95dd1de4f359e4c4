#include "plans/LiveSelect.h"

#include <algorithm>

namespace vx::plans {

QString identRequest(int step)
{
    static const char* const requests[3] = {cmd::ReadType, cmd::ReadIdent2, cmd::ReadIdent3};
    return QLatin1String(requests[std::clamp(step, 0, 2)]);
}

const std::optional<QString>& Identity::at(int step) const
{
    return step == 0 ? type : step == 1 ? ident2
                                        : ident3;
}

std::optional<QString>& Identity::at(int step)
{
    return step == 0 ? type : step == 1 ? ident2
                                        : ident3;
}

bool Identity::sameController(const Identity& before) const
{
    const QString now = type.value_or(QString());
    return !now.isEmpty() && now == before.type.value_or(QString())
           && ident3.value_or(QString()) == before.ident3.value_or(QString());
}

bool portGone(const Outcome& o)
{
    switch (o.error.Code) {
    case CommPortClosed:
    case CommDeviceError:
    case CommSystemError:
    case CommLineLost: return true;
    default: return false;
    }
}

SelectPlan::SelectPlan(int unit, bool select) : m_unit(unit), m_select(select) { }

QString SelectPlan::failedRequest() const
{
    return m_step < 0 ? cmd::selectUnit(m_unit) : identRequest(m_step);
}

Step SelectPlan::identify(int step)
{
    m_step = step;
    m_tries = 1;
    return Step::send(identRequest(step), 0, IdentChannel);
}

Step SelectPlan::ask() const
{
    return m_step < 0 ? Step::send(cmd::selectUnit(m_unit), 0, SelectChannel) : Step::send(identRequest(m_step), 0, IdentChannel);
}

Step SelectPlan::start()
{
    m_state = State::Running;
    m_identity = {};
    if (!m_select)
        return identify(0);
    m_step = -1;
    m_tries = 1;
    return ask();
}

Step SelectPlan::next(const Outcome& last)
{
    m_justSelected = false;
    m_justIdentified = -1;
    // A lost reply, or one a checked run cannot use, is asked again like any other;
    // "er n" is an answer, and a gone port answers nothing.
    const bool unusable = m_checked && !last.failed() && !last.checked.ok()
                          && last.checked.refusal != cmd::Refusal::ControllerError;
    if ((last.noReply() || unusable) && m_tries < Tries && !stopRequested()) {
        ++m_tries;
        return ask();
    }
    if (last.failed() || (m_checked && !last.checked.ok())) {
        // A select without reply says so; a silent identification ends it quietly.
        m_failure = last;
        m_state = m_step < 0 ? State::SelectFailed : State::IdentFailed;
        return Step::finished();
    }
    if (m_step < 0) {
        // Any reply to the select goes on to the identification.
        m_justSelected = true;
        if (!m_identify) {
            m_state = State::Identified;
            return Step::finished();
        }
    } else {
        // A cut or foreign identification is unreadable, never a type.
        m_identity.at(m_step) = last.answered() ? std::optional<QString>(last.checked.value) : std::nullopt;
        m_justIdentified = m_step;
        if (m_step == 2) {
            m_state = State::Identified;
            return Step::finished();
        }
    }
    if (stopRequested()) {
        m_state = State::Stopped;
        return Step::finished();
    }
    return identify(m_step + 1);
}

} // namespace vx::plans
