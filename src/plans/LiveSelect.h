#pragma once
// Selecting a unit and asking who it is: "sc <unit>", then "rt", "rh" and "rx". The
// main window runs it on every connect, the reconnect and the monitor run it before
// they go on, and the identity it reads is what a reconnect compares.
#include "plans/Plan.h"

#include <optional>

namespace vx::plans {

// The request of identification step 0..2: "rt", "rh", "rx".
QString identRequest(int step);

// The three identification texts; none where a reply was unreadable.
struct Identity {
    std::optional<QString> type;   // "rt"
    std::optional<QString> ident2; // "rh"
    std::optional<QString> ident3; // "rx"

    const std::optional<QString>& at(int step) const;
    std::optional<QString>& at(int step);
    // The same controller: a readable type, and type and "rx" as before.
    bool sameController(const Identity& before) const;
};

// Whether a failed request means the port itself is gone (an adapter pulled out,
// a device closed), rather than a silent or garbled reply: nothing more will come
// until the port is opened again.
bool portGone(const Outcome& o);

class SelectPlan : public Plan {
public:
    static constexpr int SelectChannel = 0;
    static constexpr int IdentChannel = 1;

    enum class State { Running,
                       Identified,
                       SelectFailed,
                       IdentFailed,
                       Stopped };

    // With select off the unit is taken as selected and only the identification runs.
    explicit SelectPlan(int unit, bool select = true);

    // vx5x's use: every reply must answer its request (the select its echo), or the
    // plan ends with that step's failure; and it may end after the select alone
    // (Identified then means selected).
    void checkEveryReply() { m_checked = true; }
    void selectOnly() { m_identify = false; }

    Step start() override;
    Step next(const Outcome& last) override;

    State state() const { return m_state; }
    const Identity& identity() const { return m_identity; }
    // What the last outcome was: the select answered, or identification step 0..2 read.
    bool justSelected() const { return m_justSelected; }
    int justIdentified() const { return m_justIdentified; }
    // The failure that ended the plan (SelectFailed, IdentFailed).
    const Outcome& failure() const { return m_failure; }
    // The request of the step that failed.
    QString failedRequest() const;

private:
    Step identify(int step);
    // The request of the step under way.
    Step ask() const;

    int m_unit;
    bool m_select;
    bool m_checked = false;
    bool m_identify = true;
    int m_step = -1; // -1: the select, 0..2: identification
    int m_tries = 1;
    State m_state = State::Running;
    Identity m_identity;
    bool m_justSelected = false;
    int m_justIdentified = -1;
    Outcome m_failure;
};

} // namespace vx::plans
