#include "params/ParFormats.h"

#include "device/CommandSet.h"

#include <QSaveFile>
#include <QtEndian>
#include <functional>
#include <vector>

namespace vx::files {

namespace {

QByteArray textFile(const char* header, int unit, char letter, int first, int last,
                    const std::function<qint32(int)>& valueOf)
{
    QByteArray out;
    out.reserve(16 * (last - first + 3));
    out += header;
    out += "   No: ";
    out += QByteArray::number(unit);
    out += "\r\n\r\n";
    for (int n = first; n <= last; ++n) {
        out += letter;
        out += QByteArray::number(n).rightJustified(3, '0');
        out += ' ';
        out += QByteArray::number(valueOf(n));
        out += "\r\n";
    }
    return out;
}

// Reads the data lines of a text file into table[0 .. tableSize-1]. Every number must
// occur exactly once: a damaged file must never fill a set partly.
TextFileError parseTextFile(const QByteArray& contents, const char* header, int expectedLines,
                            std::vector<qint32>& table)
{
    const int tableSize = expectedLines;
    const QList<QByteArray> lines = textFileLines(contents);
    if (lines.isEmpty() || !lines.constFirst().startsWith(header))
        return TextFileError::BadHeader;

    table.assign(std::size_t(tableSize), 0);
    std::vector<bool> seen(std::size_t(tableSize), false);
    bool duplicate = false;
    int count = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        if (line.isEmpty())
            continue;
        if (line.indexOf(' ') != 4)
            return TextFileError::BadLine;
        // The first character (the kind letter) is not examined.
        const auto number = cmd::parseDecimal(QString::fromLatin1(line.mid(1, 3)));
        const auto value = cmd::parseDecimal(QString::fromLatin1(line.mid(5)));
        if (!number || !value || *number < 0 || *number >= tableSize)
            return TextFileError::BadLine;
        const auto n = std::size_t(*number);
        if (seen[n])
            duplicate = true;
        seen[n] = true;
        table[n] = *value;
        ++count;
    }
    if (count != expectedLines)
        return TextFileError::WrongCount;
    // The count is right, so a duplicate means another number is missing.
    if (duplicate)
        return TextFileError::BadLine;
    return TextFileError::None;
}

void put32(QByteArray& out, qint32 v)
{
    char b[4];
    qToLittleEndian<qint32>(v, b);
    out.append(b, 4);
}

qint32 get32(const QByteArray& in, int offset)
{
    return qFromLittleEndian<qint32>(in.constData() + offset);
}

} // namespace

QByteArray parameterFileText(int unit, const TParWaarden& values)
{
    return textFile(ParameterHeader, unit, 'P', 0, 511, [&](int n) { return values.value(n); });
}

QByteArray setpointFileText(int unit, const TSollWaarden& values)
{
    // S000 has no setpoint behind it; it is written as 0.
    return textFile(SetpointHeader, unit, 'S', 0, 80, [&](int n) { return n == 0 ? 0 : values.value(n); });
}

QList<QByteArray> textFileLines(const QByteArray& contents)
{
    QList<QByteArray> lines = contents.split('\n');
    // A final line end leaves one empty piece behind; it is no line of its own.
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    for (QByteArray& l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    return lines;
}

TextFileError parseParameterFile(const QByteArray& contents, TParWaarden& out)
{
    std::vector<qint32> table;
    const TextFileError e = parseTextFile(contents, ParameterHeader, ParameterLines, table);
    if (e != TextFileError::None)
        return e;
    for (int n = 0; n < ParameterLines; ++n)
        out[n] = table[std::size_t(n)];
    return e;
}

TextFileError parseSetpointFile(const QByteArray& contents, TSollWaarden& out)
{
    std::vector<qint32> table;
    const TextFileError e = parseTextFile(contents, SetpointHeader, SetpointLines, table);
    if (e != TextFileError::None)
        return e;
    // The value of S000 is not used.
    for (int n = 1; n <= 80; ++n)
        out[n] = table[std::size_t(n)];
    return e;
}

QByteArray backupFileBytes(const TParWaarden& par, const TSollWaarden& soll)
{
    QByteArray out;
    out.reserve(BackupSize);
    put32(out, BackupStartMark);
    put32(out, BackupStartMark);
    for (int i = 0; i < BackupParEntries; ++i)
        put32(out, par.value(i)); // 0 beyond 511
    for (int i = 1; i <= BackupSollEntries; ++i)
        put32(out, soll.value(i)); // 0 beyond 80
    put32(out, BackupEndMark);
    put32(out, BackupEndMark);
    return out;
}

BackupError parseBackupFile(const QByteArray& contents, TParWaarden& par, TSollWaarden& soll)
{
    if (contents.size() < BackupSize)
        return BackupError::TooShort;
    constexpr int parOffset = 8;
    constexpr int sollOffset = parOffset + 4 * BackupParEntries;
    constexpr int endOffset = sollOffset + 4 * BackupSollEntries;
    if (get32(contents, 0) != BackupStartMark || get32(contents, 4) != BackupStartMark
        || get32(contents, endOffset) != BackupEndMark || get32(contents, endOffset + 4) != BackupEndMark)
        return BackupError::BadMarks;
    for (int n = 0; n <= 511; ++n)
        par[n] = get32(contents, parOffset + 4 * n);
    for (int n = 1; n <= 80; ++n)
        soll[n] = get32(contents, sollOffset + 4 * (n - 1));
    return BackupError::None;
}

bool saveAtomically(const QString& path, const QByteArray& contents, QString* error)
{
    QSaveFile f(path);
    // Never fall back to writing the target in place: that is what loses the old file.
    f.setDirectWriteFallback(false);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    if (f.write(contents) != contents.size() || !f.flush()) {
        if (error)
            *error = f.errorString();
        f.cancelWriting(); // the temporary file goes, the target stays as it was
        return false;
    }
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

} // namespace vx::files
