#pragma once
// What a transfer of values comes to: the words the transfer plans (src/plans), the
// windows, the safety backup and vx5x share. The rules themselves live in the plans.
#include "comm/SXComm.h"
#include "device/CommandSet.h"
#include "params/ValueStore.h"

#include <QByteArray>
#include <QString>

namespace vx::transfer {

// First-byte time-outs of the transfer windows' components (ms; 0 means 100).
inline constexpr int ReadTimeoutMs = 1000;
inline constexpr int WriteTimeoutMs = 0;
inline constexpr int ComputeTimeoutMs = 2000;

enum class Outcome {
    Done,
    Refused,    // "er 7" to a value, or "bp" answered with a refusal detail
    NoReply,    // the controller did not answer, twice
    LineFailed, // the port or line failed
    BadReply,   // an unusable reply, twice
    Stopped,    // asked to stop
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
    QByteArray reply;            // the last reply that was not taken (BadReply, Refused)
    cmd::CheckedReply checked;   // that reply against its request
    bool ok() const { return outcome == Outcome::Done; }
};

struct Sets {
    bool parameters = true;
    bool setpoints = true;
};

} // namespace vx::transfer
