#pragma once
// A backup of the controller as it was, taken before a restore or a whole-set send so
// a wrong file has a way back. Kept in the user's data folder, named by controller
// type, "rx" text, unit and time; the newest 50 per "rx" text stay.
#include "params/Compare.h"
#include "params/Manifest.h"
#include "params/SetTransfer.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace vx::safety {

inline constexpr int KeepPerController = 50;

// Letters, digits and '-' kept, anything else '_'; "unknown" when empty.
QString namePart(const QString& text);
// VX50_SN_123456_u0_2026-12-07_14-03-22.bak
QString fileName(const QString& type, const QString& rx, int unit, const QDateTime& when);
// <user data folder>/Backups
QString folder();

// The safety backups in dir, oldest first; only those of one "rx" text when rx is given.
QStringList backups(const QString& dir, const QString* rx = nullptr);
// The newest safety backup in dir (full path), or empty.
QString latest(const QString& dir);
// Removes all but the newest `keep` of the "rx" text, newest by the file's
// modification time (a name's time is only what the clock said). `justWritten` always
// stays and counts as one of them; a backup dated after `now` stays and does not count
// (a clock once set ahead must not push out the backup just taken). Returns how many went.
int prune(const QString& dir, const QString& rx, int keep = KeepPerController, const QString& justWritten = {},
          const QDateTime& now = QDateTime::currentDateTime());

struct Identity {
    QString type; // first four characters of "rt"
    QString rx;
};

struct Taken {
    transfer::Result read; // the identity and whole-set read
    QString failedRequest; // "rt" or "rx" when the identity could not be read
    QString path;          // the saved file
    QString error;         // why it could not be saved
    compare::ValueSet values;
    bool ok() const { return read.ok() && error.isEmpty() && !path.isEmpty(); }
};

// Saves par/soll atomically as a backup file in dir under the name rule (a second
// one in the same second gets "-2", "-3" ...) with its manifest, then prunes that "rx"
// text. The manifest names `where`, else manifest::currentLine().
Taken save(const QString& dir, const Identity& id, int unit, const TParWaarden& par, const TSollWaarden& soll,
           const QDateTime& when = QDateTime::currentDateTime(), const manifest::Line* where = nullptr);
// The last guarded write to each controller ("rx" text), kept beside the backups: what
// it was, when it began, the safety backup taken before it, and whether it finished.
// An unfinished one keeps its backup as the way back, so a second attempt does not
// replace the controller as it was with a half-written one.
struct WriteRecord {
    QString rx;
    QString kind; // "send", "restore", "undo", "compare"
    QDateTime started;
    QString backup;
    bool finished = false;
};
std::optional<WriteRecord> lastWrite(const QString& dir, const QString& rx);
// Records a write that begins with `backup` taken; an unfinished one before it keeps
// its own backup and start. Returns the record as kept.
WriteRecord writeBegins(const QString& dir, WriteRecord record);
void writeEnds(const QString& dir, const QString& rx);

// Why a safety backup was not taken, in the user's language.
QString reasonText(const Taken& taken);
// Whether the windows take a safety backup before a restore or whole-set send, and
// read back what they wrote. The program switches both on at start (the settings file
// may switch them off); in tests and tools they stay off unless asked for.
bool backupsOn();
void setBackupsOn(bool on);
bool verifyOn();
void setVerifyOn(bool on);

} // namespace vx::safety
