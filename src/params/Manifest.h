#pragma once
// The manifest beside a backup file: which controller it came from, over which line,
// when, by which version of the program, and the SHA-256 of the backup's bytes. The
// backup file itself keeps its fixed format; the manifest is "<backup>.json".
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace vx::manifest {

// Where a backup was taken: the caller's port and line, and the "rh" text when the
// caller knows it (a safety backup reads only "rt" and "rx").
struct Line {
    QString port; // "COM1", "/dev/ttyUSB0", "sim"
    QString line; // "9600 8E1"
    QString rh;
};

struct Manifest {
    QString rt, rh, rx;
    int unit = -1;
    QString port, line;
    QDateTime date;
    QString tool;      // the program's version
    QString kind;      // "manual", "safety", "all-units"
    int values = 0;    // parameters and setpoints held
    QByteArray sha256; // lower-case hex of the backup's bytes
};

inline constexpr const char* KindManual = "manual";
inline constexpr const char* KindSafety = "safety";
inline constexpr const char* KindAllUnits = "all-units";

QString pathFor(const QString& backupPath);
QByteArray sha256Hex(const QByteArray& bytes);
QByteArray toJson(const Manifest& m);
// False with the reason when the text is not a manifest.
bool fromJson(const QByteArray& text, Manifest& m, QString* error = nullptr);

// A manifest for bytes about to be saved: checksum, value count, version and date filled in.
Manifest describe(const QByteArray& backupBytes, const QString& kind, const QDateTime& when = QDateTime::currentDateTime());
// Writes the manifest of backupPath atomically.
bool save(const QString& backupPath, const Manifest& m, QString* error = nullptr);
// Saves a backup and its manifest, each atomically; the backup first, so a manifest
// never describes a file that is not there.
bool saveBackup(const QString& backupPath, const QByteArray& bytes, const Manifest& m, QString* error = nullptr);

enum class State {
    None,       // no manifest beside the file
    Matches,    // the checksum holds
    Changed,    // the file's bytes are not those the manifest describes
    Unreadable, // a manifest that cannot be read
};
struct Checked {
    State state = State::None;
    Manifest manifest;
    QString error;
};
// Checks backupPath's bytes against the manifest beside it.
Checked check(const QString& backupPath, const QByteArray& bytes);

// The controller type of an "rt" text: its first four characters.
QString typeOf(const QString& rt);
// Whether the backup's controller (type, "rx") is another than the connected one.
bool otherController(const Manifest& m, const QString& connectedRt, const QString& connectedRx);
// "VX51, rx SN 1002", for the question before a restore.
QString controllerText(const QString& rt, const QString& rx);

// Folders the program wrote backups into, for the history; kept in dataDir.
void rememberFolder(const QString& dataDir, const QString& folder);
QStringList folders(const QString& dataDir);

// What the windows' backups take as their line when the caller gives none: the main
// window sets it; empty fields otherwise.
void setCurrentLine(std::function<Line()> line);
Line currentLine();

} // namespace vx::manifest
