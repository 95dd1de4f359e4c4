#pragma once
// Device search: "sc <unit>" at every unit number and line setting chosen, until a
// unit echoes its probe exactly; that unit is then identified ("rt", "rh", "rx")
// and the search rests. Going on after a find (Verder) is a new plan that is given
// the probes already made, and makes every other probe of its choice.
#include "plans/LiveSelect.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <optional>

namespace vx::plans {

// One probe: a unit number at one line setting.
struct Probe {
    int unit = 0;
    LineSettings line;
    bool operator==(const Probe&) const = default;
};

inline size_t qHash(const Probe& p, size_t seed = 0)
{
    return qHashMulti(seed, p.unit, int(p.line.baud), int(p.line.parity), int(p.line.stop));
}

// What a search tries. The order: every baud rate in turn, within it every unit,
// within that every stop-bit setting, and within that every parity (fastest).
struct SearchChoice {
    QList<TBaudrate> bauds;
    QList<int> units;
    QList<TStopBit> stops;
    QList<TParityBit> parities;

    // The search window's choice: units 0..31, the five rates from `start` round,
    // parity None, Odd, Even or the port's own, stop bits 1, 2 or the port's own.
    static SearchChoice window(TBaudrate start, bool parityAuto, bool stopAuto, TParityBit comParity,
                               TStopBit comStop);

    int count() const;
    bool empty() const { return count() == 0; }
    bool holds(const Probe& p) const;
    // A probe's place in the order (from 0). A setting the choice does not hold
    // counts as the last of its kind, so a search resumed with other choices goes on.
    int indexOf(const Probe& p) const;
    std::optional<Probe> first() const;
    std::optional<Probe> after(const Probe& p) const;
    Probe at(int index) const;
};

class SearchPlan : public Plan {
public:
    static constexpr int ProbeChannel = 0;
    static constexpr int IdentChannel = 1;

    enum class State {
        Searching,
        Found,      // probe() answered; identity() says who
        Stopped,    // asked to stop
        Exhausted,  // every probe made
        LineFailed, // a request failed with the port gone (failure())
        PortFailed, // the port refused the line settings (failure().errorText)
    };

    // From the first probe, or from the one after resumeAfter (those before it count
    // as made).
    explicit SearchPlan(SearchChoice choice, std::optional<Probe> resumeAfter = std::nullopt);
    // Goes on with a search: every probe of the choice not in `made`, in the choice's
    // order from the one after `after` (from the first without one) round to where it
    // began. The choice may differ from the one the probes were made with.
    SearchPlan(SearchChoice choice, QSet<Probe> made, std::optional<Probe> after);

    Step start() override;
    Step next(const Outcome& last) override;
    int done() const override;
    int total() const override { return m_choice.count(); }

    State state() const { return m_state; }
    const Probe& probe() const { return m_probe; }
    const SearchChoice& choice() const { return m_choice; }
    const Identity& identity() const { return m_identity; }
    const Outcome& failure() const { return m_failure; }
    // Every probe made in this search so far, with those the plan was given.
    const QSet<Probe>& made() const { return m_made; }

private:
    enum class Phase { SetLine,
                       Probe,
                       Ident };
    Step toProbe(std::optional<Probe> p);
    Step end(State s);
    Step goOn(); // the next probe, or the stop asked for
    std::optional<Probe> nextUnmade();

    SearchChoice m_choice;
    QSet<Probe> m_made;
    int m_madeOfChoice = 0; // how many of m_made the choice holds
    int m_from = 0;         // where the walk round the choice's order starts
    int m_walked = 0;       // places of that walk looked at
    Probe m_probe;
    Phase m_phase = Phase::SetLine;
    int m_identStep = 0;
    State m_state = State::Searching;
    Identity m_identity;
    Outcome m_failure;
};

} // namespace vx::plans
