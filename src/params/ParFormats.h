#pragma once
// Parameter files (.app), setpoint files (.aps) and backup files (.bak) as pure
// functions: values in, bytes out and back. Every window, and the command-line
// program, that stores or loads a set uses this code; ParFiles adds the dialogs.
#include "core/AtomicFile.h"
#include "params/Compare.h"
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
                         WrongSize,
                         BadMarks };

QByteArray backupFileBytes(const TParWaarden& par, const TSollWaarden& soll);
// Exactly BackupSize bytes, or WrongSize: a longer file is no backup with a tail
// to ignore. par and soll are written only on None.
BackupError parseBackupFile(const QByteArray& contents, TParWaarden& par, TSollWaarden& soll);

// --- reading any of them -------------------------------------------------------------
enum class FileKind { Unknown,
                      Parameters,
                      Setpoints,
                      Backup };

// Why a file was not taken.
enum class FileFault { None,
                       CannotOpen,   // error: the system's reason
                       TooLarge,     // over MaxTextFileSize
                       Unrecognised, // no header, no backup marks, no .bak name
                       BadLine,      // a malformed line, or a number twice with the count right
                       WrongCount,   // too few or too many value lines
                       WrongSize,    // a backup file of other than BackupSize bytes
                       BadMarks };   // a backup file's start or end marks

struct ValueFile {
    FileKind kind = FileKind::Unknown;
    FileFault fault = FileFault::None;
    int line = 0;             // the first bad line of a text file (1 = the header), else 0
    QString error;            // empty when taken; else "line 7: ..." or the reason
    compare::ValueSet values; // hasParameters / hasSetpoints only when taken
    bool ok() const { return fault == FileFault::None; }
};

// The kind comes from the contents: a text file names itself in its header, a backup
// file starts with its marks; a file with neither counts as a backup when it has a
// backup's size or its name ends in .bak, so its fault can be named.
ValueFile readValueFile(const QString& path);
ValueFile valueFileFrom(const QByteArray& contents, const QString& name);

// The editors' message for a file read when they wanted kind `wanted`.
TextFileError textFileError(const ValueFile& file, FileKind wanted);

// --- saving --------------------------------------------------------------------------
// Every save goes through core's saveAtomically; the name stays here for the
// callers that know it as files::saveAtomically.
using vx::saveAtomically;

} // namespace vx::files
