#pragma once
// Reading and writing values: one value, "bp" alone, or whole sets ("rp 0".."rp 511",
// "rs 1".."rs 80", "wp"/"ws" then "bp"). The rules are the transfer windows': a lost
// or unusable reply is asked up to twice more, "er 7" to a write stops at that value, "bp"
// answered with a detail is a refusal, and a failed line ends the job at once.
#include "params/SetTransfer.h"
#include "plans/Plan.h"

#include <QList>

#include <optional>

namespace vx::plans {

using transfer::Item;

struct TransferRules {
    // Repeats after a lost or unusable reply (Tries in all). The service dialog and the loader
    // show the first failure as it is.
    bool repeat = true;
};

// One request for one value, judged under the rules; the building block of the plans
// below. begin() gives the request, take() the repeat or nothing once it is settled.
class ValueExchange {
public:
    enum class Kind { Read,    // "rp"/"rs": a whole number answering this very number
                      Write,   // "wp"/"ws": the echo; "er 7" refuses
                      Compute, // "bp": -1 accepted, anything else readable refuses
                      Text };  // "rt", "rx": any whole answer; "er n" refuses

    Step begin(Kind kind, Item item, int number, const QString& text, int timeoutMs, int channel,
               TransferRules rules);
    // The outcome of the request; a step to repeat it, or nothing when settled.
    std::optional<Step> take(const Outcome& o);
    // The line is known to be down: a lost reply is not asked again.
    void lineDown() { m_lineDown = true; }

    const transfer::Result& result() const { return m_result; }
    qint32 number() const { return m_value; }
    const QString& text() const { return m_text; }
    const Request& request() const { return m_request; }

private:
    Kind m_kind = Kind::Read;
    Request m_request;
    TransferRules m_rules;
    int m_attempts = 0;
    bool m_lineDown = false;
    transfer::Result m_result;
    qint32 m_value = 0;
    QString m_text;
};

// One parameter or setpoint read or written, or "bp" alone.
class ValuePlan : public Plan {
public:
    struct Job {
        ValueExchange::Kind kind = ValueExchange::Kind::Read;
        Item item = Item::Parameter;
        int number = 0;
        qint32 value = 0;   // to write
        int timeoutMs = -1; // first-byte time-out; -1: the transfer windows' one for its kind
    };
    static Job readParameter(int nr) { return {ValueExchange::Kind::Read, Item::Parameter, nr, 0, -1}; }
    static Job readSetpoint(int nr) { return {ValueExchange::Kind::Read, Item::Setpoint, nr, 0, -1}; }
    static Job writeParameter(int nr, qint32 v) { return {ValueExchange::Kind::Write, Item::Parameter, nr, v, -1}; }
    static Job writeSetpoint(int nr, qint32 v) { return {ValueExchange::Kind::Write, Item::Setpoint, nr, v, -1}; }
    static Job compute() { return {ValueExchange::Kind::Compute, Item::Compute, -1, 0, -1}; }

    explicit ValuePlan(Job job, TransferRules rules = {}, int channel = 0);

    Step start() override;
    Step next(const Outcome& last) override;
    void lineDown() { m_exchange.lineDown(); }

    const transfer::Result& result() const { return m_result; }
    // The value read (reads).
    qint32 value() const { return m_exchange.number(); }

private:
    Job m_job;
    TransferRules m_rules;
    int m_channel;
    ValueExchange m_exchange;
    transfer::Result m_result;
};

// One value of the sets, by item and number.
struct ValueRef {
    Item item = Item::Parameter;
    int number = 0;
    bool operator==(const ValueRef&) const = default;
};
using ValueRefs = QList<ValueRef>;

// The channels of a set transfer: which of the caller's components carries what.
struct TransferChannels {
    int values = 0;
    int compute = 0;
};

// Whole sets, value by value in the windows' order: parameters, setpoints, then "bp".
class SetPlan : public Plan {
public:
    Step start() override;
    Step next(const Outcome& last) override;
    int done() const override { return m_confirmed; }
    int total() const override { return m_total; }

    // Goes on from this value (Verder after a lost line): the values before it count
    // as confirmed. Set before start().
    void resumeAt(Item item, int number);
    // Only these values, in this order ("bp" after them as before); total() counts
    // them. Set before start().
    void only(ValueRefs values);
    void lineDown() { m_exchange.lineDown(); }

    // The values the controller confirmed in this run, in order (a resumed run counts
    // from where it went on).
    const ValueRefs& confirmedValues() const { return m_confirmedRefs; }
    // "bp" went out in this run and the controller accepted it.
    bool computed() const { return m_computed; }

    // The value in flight, or the last one when finished.
    Item item() const { return m_item; }
    int number() const { return m_number; }
    const transfer::Result& result() const { return m_result; }

protected:
    SetPlan(transfer::Sets sets, bool compute, ValueExchange::Kind kind, int timeoutMs, TransferChannels channels,
            TransferRules rules);
    virtual QString request(Item item, int number) const = 0;
    virtual void taken(Item item, int number, qint32 value) = 0;

private:
    Step ask();
    Step finish(transfer::Outcome outcome);
    // Moves to the value after the current one; false at the end of the sets.
    bool advance();
    bool firstOf(Item item);
    // Moves to the selection's entry at `index`; false past its end.
    bool selectAt(int index);

    transfer::Sets m_sets;
    bool m_compute;
    ValueExchange::Kind m_kind;
    int m_timeoutMs;
    TransferChannels m_channels;
    TransferRules m_rules;
    int m_total = 0;
    int m_confirmed = 0;
    Item m_item = Item::Parameter;
    int m_number = -1;
    bool m_resumed = false;
    std::optional<ValueRefs> m_only;
    ValueRefs m_confirmedRefs;
    bool m_computed = false;
    int m_index = 0;
    ValueExchange m_exchange;
    transfer::Result m_result;
};

// Reads the sets into the caller's buffers; a value lands there as soon as it is read.
class SetReadPlan : public SetPlan {
public:
    SetReadPlan(transfer::Sets sets, TParWaarden& par, TSollWaarden& soll, int channel = 0, TransferRules rules = {});

protected:
    QString request(Item item, int number) const override;
    void taken(Item item, int number, qint32 value) override;

private:
    TParWaarden& m_par;
    TSollWaarden& m_soll;
};

// Writes the sets from the caller's buffers, then "bp" when parameters were written
// and compute is asked.
class SetWritePlan : public SetPlan {
public:
    SetWritePlan(transfer::Sets sets, const TParWaarden& par, const TSollWaarden& soll, bool compute,
                 TransferChannels channels = {}, TransferRules rules = {});

protected:
    QString request(Item item, int number) const override;
    void taken(Item, int, qint32) override { }

private:
    const TParWaarden& m_par;
    const TSollWaarden& m_soll;
};

} // namespace vx::plans
