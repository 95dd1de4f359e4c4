#pragma once
// Parameter files (.app), setpoint files (.aps) and backup files (.bak) as pure
// functions: values in, bytes out and back. Every window, and the command-line
// program, that stores or loads a set uses this code; ParFiles adds the dialogs.
#include "params/ValueStore.h"

#include <QByteArray>
#include <QString>

namespace vx::files {

// --- text files ----------------------------------------------------------------------
inline constexpr const char* ParameterHeader = "ASCII Parameters VX5x-XXX";
inline constexpr const char* SetpointHeader = "ASCII Sollwerten VX5x-XXX";
inline constexpr int HeaderLength = 25;
inline constexpr int ParameterLines = 512; // P000 ... P511
inline constexpr int SetpointLines = 81;   // S000 ... S080; S000 carries no setpoint
// A text file larger than this is not a parameter or setpoint file; reading it whole
// would only tie up memory.
inline constexpr qint64 MaxTextFileSize = 16 * 1024 * 1024;

// Why a text file was not taken over; the number is the OpenMsg key it shows.
enum class TextFileError {
    None = 0,
    CannotOpen = 1, // OpenMsg1
    BadHeader = 2,  // OpenMsg2
    BadLine = 3,    // OpenMsg3: malformed line, non-integer, number outside the table,
                    //           or a number missing because another occurs twice
    WrongCount = 4, // OpenMsg4
};

// Whole file contents, CR LF line ends. S000 is written as 0.
QByteArray parameterFileText(int unit, const TParWaarden& values);
QByteArray setpointFileText(int unit, const TSollWaarden& values);

// The file's lines without their line ends (CR LF or LF); line 1 is element 0.
QList<QByteArray> textFileLines(const QByteArray& contents);

// out is written only when the whole file is valid (result None).
TextFileError parseParameterFile(const QByteArray& contents, TParWaarden& out);
TextFileError parseSetpointFile(const QByteArray& contents, TSollWaarden& out);

// --- backup file ---------------------------------------------------------------------
inline constexpr qint32 BackupStartMark = 11223344;
inline constexpr qint32 BackupEndMark = 123456789;
inline constexpr int BackupParEntries = 2001;                                           // index 0 ... 2000
inline constexpr int BackupSollEntries = 2000;                                          // index 1 ... 2000
inline constexpr int BackupSize = 8 + 4 * BackupParEntries + 4 * BackupSollEntries + 8; // 16020

enum class BackupError { None,
                         TooShort,
                         BadMarks };

QByteArray backupFileBytes(const TParWaarden& par, const TSollWaarden& soll);
// Bytes beyond BackupSize are ignored; par and soll are written only on None.
BackupError parseBackupFile(const QByteArray& contents, TParWaarden& par, TSollWaarden& soll);

// --- saving --------------------------------------------------------------------------
// Writes through a temporary file in the same folder that is renamed over the target
// only when everything was written and flushed, so a failed save leaves an existing
// file as it was. On failure returns false and sets error to the system's reason.
bool saveAtomically(const QString& path, const QByteArray& contents, QString* error = nullptr);

} // namespace vx::files
