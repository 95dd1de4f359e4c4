#pragma once
// Whole-set transfers without a window: every parameter and setpoint read or written
// one request at a time through a caller's exchange function, with the transfer
// windows' rules (one repeat after a lost or unexpected reply, "er 7" stops at that
// value, "bp" after parameters). The command-line program uses it; the transfer
// windows could drive their sequence through it too.
#include "comm/SXComm.h"
#include "params/ValueStore.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace vx {
class TPX400Protocol;
}

namespace vx::transfer {

// First-byte time-outs of the transfer windows' components (ms; 0 means 100).
inline constexpr int ReadTimeoutMs = 1000;
inline constexpr int WriteTimeoutMs = 0;
inline constexpr int ComputeTimeoutMs = 2000;

struct Exchange {
    TCommError error; // zero: reply holds what came
    QByteArray reply;
};
// Sends one request (without CR) and waits for its reply or failure.
using ExchangeFn = std::function<Exchange(const QString& request, int timeoutMs)>;
// One request through a component on an open port, waiting in a local event loop for
// its reply or failure. The component's result handlers are taken for the time.
Exchange exchangeThrough(TPX400Protocol& component, const QString& request, int timeoutMs);
// Called after every confirmed value; returning false stops before the next request.
using ProgressFn = std::function<bool(int done, int total)>;

enum class Outcome {
    Done,
    Refused,    // "er 7" to a value, or "bp" answered with a refusal detail
    NoReply,    // the controller did not answer, twice
    LineFailed, // the port or line failed
    BadReply,   // an unusable reply, twice
    Stopped,    // the progress function asked to stop
};

enum class Item { Parameter,
                  Setpoint,
                  Compute };

struct Result {
    Outcome outcome = Outcome::Done;
    Item item = Item::Parameter; // what was in flight when it ended
    int number = -1;             // its number (-1 for "bp" or none)
    int confirmed = 0;           // values the controller confirmed (read or accepted)
    QString detail;              // refusal detail of "bp", or why a reply was not taken
    TCommError error;            // the failure of NoReply / LineFailed
    bool ok() const { return outcome == Outcome::Done; }
};

struct Sets {
    bool parameters = true;
    bool setpoints = true;
};

// "rp 0" ... "rp 511", then "rs 1" ... "rs 80", as far as `sets` asks.
Result readSets(const ExchangeFn& exchange, Sets sets, TParWaarden& par, TSollWaarden& soll,
                const ProgressFn& progress = {});
// "wp"/"ws" for every value, then "bp" when parameters were written and compute is set.
Result writeSets(const ExchangeFn& exchange, Sets sets, const TParWaarden& par, const TSollWaarden& soll,
                 bool compute, const ProgressFn& progress = {});

// One parameter: its value, or the failure.
Result readParameter(const ExchangeFn& exchange, int nr, qint32& value);
// One setpoint: its value, or the failure.
Result readSetpoint(const ExchangeFn& exchange, int nr, qint32& value);
// One parameter written (no "bp").
Result writeParameter(const ExchangeFn& exchange, int nr, qint32 value);
// One setpoint written.
Result writeSetpoint(const ExchangeFn& exchange, int nr, qint32 value);
// "bp" alone.
Result computeParameters(const ExchangeFn& exchange);

} // namespace vx::transfer
