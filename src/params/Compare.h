#pragma once
// Two value sets side by side (controller, file, defaults): the values that differ,
// with number, name and both scaled values. The command-line program's diff uses it;
// a compare window can show the same rows.
#include "params/ValueStore.h"

#include <QHash>
#include <QList>
#include <QString>

namespace vx {
struct ParTree;
}

namespace vx::compare {

struct ValueSet {
    bool hasParameters = false;
    bool hasSetpoints = false;
    TParWaarden par;
    TSollWaarden soll;
};

// Parameters at their defaults from the definitions; no setpoints.
ValueSet defaultsSet();

struct Row {
    bool setpoint = false;
    int number = 0;
    QString name; // parameter name in the current language; empty for setpoints
    qint32 a = 0, b = 0;
    QString textA, textB; // scaled as the editor shows them
    // An option parameter whose value lies outside its option list; its text is the raw number.
    bool unknownA = false, unknownB = false;
    bool differs() const { return a != b; }
};

// Rows for every value both sets hold and that differs, parameters first. Each side
// is scaled with its own parameter 203 (the other's when it has no parameters).
QList<Row> differences(const ValueSet& a, const ValueSet& b);
// Every value both sets hold, equal or not, in the same order.
QList<Row> allRows(const ValueSet& a, const ValueSet& b);
// One row, a scaled with decA and b with decB (the parameter 203 of each side).
Row makeRow(bool setpoint, int number, qint32 a, qint32 b, qint32 decA, qint32 decB);

// Where a parameter sits in the editor's menu tree: the first menu that lists it, in
// tree order, and that menu's heading ("Group > Sub").
struct MenuPlace {
    int order = 0;
    QString heading;
};
QHash<int, MenuPlace> menuPlaces(const ParTree& tree);

} // namespace vx::compare
