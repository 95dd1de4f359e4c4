#pragma once
// What was written against what the controller holds afterwards, value by value on
// the raw integers. A write whose reply was lost is never counted as verified.
#include "params/Compare.h"

#include <QList>
#include <QString>

namespace vx::verify {

struct Written {
    bool setpoint = false;
    int number = 0;
    qint32 value = 0;
    bool confirmed = true; // the controller answered the write
};

// Every value of the set, all confirmed.
QList<Written> wholeSet(const compare::ValueSet& written);

struct Result {
    int total = 0;
    int verified = 0;
    // Written as a, read back as b (texts scaled with the read-back parameter 203).
    QList<compare::Row> mismatches;
    QList<Written> unconfirmed;
    bool ok() const { return verified == total; }
    // "Verified: N of N", or that line and the values that differ or are unconfirmed;
    // at most `listed` of them are named.
    QString text(int listed = 8) const;
};

// readBack must hold every value in written.
Result check(const QList<Written>& written, const compare::ValueSet& readBack);

} // namespace vx::verify
