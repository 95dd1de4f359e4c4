#include "plans/SearchPlan.h"

namespace vx::plans {

namespace {

template <typename T>
int placeOf(const QList<T>& list, const T& value)
{
    const qsizetype i = list.indexOf(value);
    return int(i < 0 ? list.size() - 1 : i);
}

} // namespace

SearchChoice SearchChoice::window(TBaudrate start, bool parityAuto, bool stopAuto, TParityBit comParity,
                                  TStopBit comStop)
{
    static const QList<TBaudrate> cycle = {TBaudrate::br9600, TBaudrate::br19200, TBaudrate::br28800,
                                           TBaudrate::br38400, TBaudrate::br57600};
    SearchChoice c;
    // Only the five rates of the cycle can start a search; anything else starts at 9600.
    const int from = int(std::max<qsizetype>(0, cycle.indexOf(start)));
    for (int i = 0; i < cycle.size(); ++i)
        c.bauds << cycle[(from + i) % cycle.size()];
    for (int u = 0; u <= 31; ++u)
        c.units << u;
    c.parities = parityAuto ? QList<TParityBit>{TParityBit::None, TParityBit::Odd, TParityBit::Even}
                            : QList<TParityBit>{comParity};
    c.stops = stopAuto ? QList<TStopBit>{TStopBit::sb_1, TStopBit::sb_2} : QList<TStopBit>{comStop};
    return c;
}

int SearchChoice::count() const
{
    return int(bauds.size() * units.size() * stops.size() * parities.size());
}

bool SearchChoice::holds(const Probe& p) const
{
    return bauds.contains(p.line.baud) && units.contains(p.unit) && stops.contains(p.line.stop)
           && parities.contains(p.line.parity);
}

int SearchChoice::indexOf(const Probe& p) const
{
    const int b = placeOf(bauds, p.line.baud);
    const int u = placeOf(units, p.unit);
    const int s = placeOf(stops, p.line.stop);
    const int q = placeOf(parities, p.line.parity);
    return int(((b * units.size() + u) * stops.size() + s) * parities.size() + q);
}

Probe SearchChoice::at(int index) const
{
    Probe p;
    const int q = int(parities.size()), s = int(stops.size()), u = int(units.size());
    p.line.parity = parities[index % q];
    p.line.stop = stops[(index / q) % s];
    p.unit = units[(index / q / s) % u];
    p.line.baud = bauds[index / q / s / u];
    return p;
}

std::optional<Probe> SearchChoice::first() const
{
    if (empty())
        return std::nullopt;
    return at(0);
}

std::optional<Probe> SearchChoice::after(const Probe& p) const
{
    const int i = indexOf(p) + 1;
    if (empty() || i >= count())
        return std::nullopt;
    return at(i);
}

SearchPlan::SearchPlan(SearchChoice choice, std::optional<Probe> resumeAfter) : m_choice(std::move(choice))
{
    if (!resumeAfter || m_choice.empty())
        return;
    const int upTo = std::min(m_choice.indexOf(*resumeAfter), m_choice.count() - 1);
    for (int i = 0; i <= upTo; ++i)
        m_made.insert(m_choice.at(i));
    m_madeOfChoice = int(m_made.size());
    m_from = upTo + 1;
}

SearchPlan::SearchPlan(SearchChoice choice, QSet<Probe> made, std::optional<Probe> after)
    : m_choice(std::move(choice)), m_made(std::move(made))
{
    for (const Probe& p : std::as_const(m_made))
        m_madeOfChoice += m_choice.holds(p) ? 1 : 0;
    if (after && !m_choice.empty())
        m_from = (m_choice.indexOf(*after) + 1) % m_choice.count();
}

// Counts only what was probed: the total is said to be done only when it is.
int SearchPlan::done() const { return m_madeOfChoice; }

std::optional<Probe> SearchPlan::nextUnmade()
{
    const int n = m_choice.count();
    while (m_walked < n) {
        const Probe p = m_choice.at((m_from + m_walked++) % n);
        if (!m_made.contains(p))
            return p;
    }
    return std::nullopt;
}

Step SearchPlan::end(State s)
{
    m_state = s;
    return Step::finished();
}

Step SearchPlan::toProbe(std::optional<Probe> p)
{
    if (!p)
        return end(State::Exhausted);
    m_probe = *p;
    m_phase = Phase::SetLine;
    return Step::setLine(m_probe.line);
}

Step SearchPlan::start()
{
    m_state = State::Searching;
    m_walked = 0;
    return toProbe(nextUnmade());
}

Step SearchPlan::goOn()
{
    if (stopRequested())
        return end(State::Stopped);
    return toProbe(nextUnmade());
}

Step SearchPlan::next(const Outcome& last)
{
    switch (m_phase) {
    case Phase::SetLine:
        if (last.failed()) {
            m_failure = last;
            return end(State::PortFailed);
        }
        if (stopRequested())
            return end(State::Stopped);
        m_phase = Phase::Probe;
        // Wrong line settings give garbled bytes that may hold a line end: the pause ends a reply.
        return Step::send(cmd::selectUnit(m_probe.unit), 0, ProbeChannel, true);
    case Phase::Probe:
        if (portGone(last)) {
            m_failure = last;
            return end(State::LineFailed);
        }
        if (!m_made.contains(m_probe)) {
            m_made.insert(m_probe);
            ++m_madeOfChoice;
        }
        // Only the exact echo of the probe is a controller.
        if (last.failed() || !cmd::isProbeHit(last.reply, m_probe.unit))
            return goOn();
        m_phase = Phase::Ident;
        m_identStep = 0;
        m_identity = {};
        return Step::send(identRequest(0), 0, IdentChannel, true);
    case Phase::Ident:
        if (portGone(last)) {
            m_failure = last;
            return end(State::LineFailed);
        }
        // A unit that falls silent while identified is passed over, like a silent probe.
        if (last.failed())
            return goOn();
        m_identity.at(m_identStep) = last.answered() ? std::optional<QString>(last.checked.value) : std::nullopt;
        if (m_identStep == 2)
            return end(State::Found);
        if (m_identStep == 1 && stopRequested())
            return end(State::Stopped);
        ++m_identStep;
        return Step::send(identRequest(m_identStep), 0, IdentChannel, true);
    }
    return end(State::Stopped);
}

} // namespace vx::plans
