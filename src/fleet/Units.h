#pragma once
// The units of a bus as the program knows them: found by a search or remembered from
// an earlier one (kept in the user's data folder), with their line settings and
// identification.
#include "plans/LiveSelect.h"
#include "plans/SearchPlan.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace vx::fleet {

struct KnownUnit {
    QString port; // "COM1", "/dev/ttyUSB0", "sim"
    int unit = 0;
    plans::LineSettings line;
    int dataBits = 8;
    QString rt, rh, rx;
    QDateTime seen;
    bool operator==(const KnownUnit&) const = default;
};

// The rate of a baud value (9600 ...), none for a rate the port has not.
std::optional<TBaudrate> baudOf(int value);
// "9600 8E1"
QString lineText(const plans::LineSettings& line, int dataBits = 8);
// A unit found by a search on port.
KnownUnit foundUnit(const QString& port, const plans::Probe& probe, const plans::Identity& id, int dataBits = 8);

// <dataDir>/units.json; a missing or damaged file gives none.
QList<KnownUnit> loadUnits(const QString& dataDir);
bool saveUnits(const QString& dataDir, const QList<KnownUnit>& units, QString* error = nullptr);
// Units found on a port replace what was known of the same port and unit number;
// the others stay. Sorted by port, then unit.
QList<KnownUnit> merged(QList<KnownUnit> known, const QList<KnownUnit>& found);

// Only file-system-safe characters: "SN 51017" gives "SN51017".
QString filePart(const QString& text);
// <type>_<serial>_u<unit>_<date>.bak
QString backupName(const QString& rt, const QString& rx, int unit, const QDate& date);

} // namespace vx::fleet
