#pragma once
// Every backup of one controller (by its "rx" text) the program knows of: the safety
// backups and the folders backups were written to, newest first, each with its kind
// and how many values differ from the one before it.
#include "params/Compare.h"
#include "params/Manifest.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace vx::fleet {

struct HistoryEntry {
    QString path;
    QDateTime date;
    QString kind; // manifest::Kind...; a safety backup without manifest counts as one
    bool hasManifest = false;
    int differs = -1; // values that differ from the backup before it; -1: the first, or unreadable
    compare::ValueSet values;
};

// Backups in `folders` whose controller is `rx` (from the manifest, else a safety
// backup's name), newest first.
QList<HistoryEntry> history(const QStringList& folders, const QString& rx);

// The newest backup of `rx` that is not a safety backup, and the newest safety backup
// (a safety backup is taken before every write: the last change the program saw).
struct BackupDates {
    QDateTime lastBackup, lastChange;
    bool older() const { return lastBackup.isValid() && lastChange.isValid() && lastBackup < lastChange; }
};
BackupDates backupDates(const QList<HistoryEntry>& entries);

} // namespace vx::fleet
