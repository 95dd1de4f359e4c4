#include "params/ParFormats.h"

#include "device/CommandSet.h"

#include <QFile>
#include <QtEndian>
#include <functional>
#include <utility>
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

// One pass over a text file. Every number must occur exactly once: a damaged file
// must never fill a set partly. error is what the editors report (a malformed line
// stops the pass; a number twice counts as bad only when the count is right, since
// another number is missing then); line and why name the first line that breaks a
// rule, else the count.
struct TextScan {
    TextFileError error = TextFileError::None;
    int line = 0;
    QString why;
    std::vector<qint32> table;
};

TextScan scanTextFile(const QByteArray& contents, const char* header, int expected)
{
    TextScan r;
    // The first rule broken names the line; a later one does not replace it.
    auto note = [&](int lineNo, const QString& why) {
        if (r.why.isEmpty()) {
            r.line = lineNo;
            r.why = why;
        }
    };
    auto fault = [&](TextFileError e, int lineNo, const QString& why) {
        note(lineNo, why);
        r.error = e;
        return std::move(r);
    };
    const QList<QByteArray> lines = textFileLines(contents);
    if (lines.isEmpty() || !lines.constFirst().startsWith(header))
        return fault(TextFileError::BadHeader, 1,
                     QStringLiteral("line 1: the header is not \"%1\"").arg(QLatin1String(header)));

    r.table.assign(std::size_t(expected), 0);
    std::vector<int> firstLine(std::size_t(expected), 0);
    bool duplicate = false;
    int count = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        const int lineNo = int(i) + 1;
        const QString at = QString::number(lineNo);
        if (line.isEmpty())
            continue;
        if (line.indexOf(' ') != 4)
            return fault(TextFileError::BadLine, lineNo,
                         QStringLiteral("line %1: expected a letter, three digits, a blank and a value").arg(at));
        // The first character (the kind letter) is not examined.
        const QString numberText = QString::fromLatin1(line.mid(1, 3));
        const auto number = cmd::parseDecimal(numberText);
        if (!number || *number < 0 || *number >= expected)
            return fault(TextFileError::BadLine, lineNo,
                         QStringLiteral("line %1: number %2 is outside 0 .. %3")
                             .arg(at, numberText, QString::number(expected - 1)));
        const QString valueText = QString::fromLatin1(line.mid(5));
        const auto value = cmd::parseDecimal(valueText);
        if (!value)
            return fault(TextFileError::BadLine, lineNo,
                         QStringLiteral("line %1: \"%2\" is not a whole number").arg(at, valueText));
        int& seen = firstLine[std::size_t(*number)];
        if (seen) {
            duplicate = true;
            note(lineNo, QStringLiteral("line %1: number %2 again (first on line %3)")
                             .arg(at, QString::number(*number), QString::number(seen)));
        } else {
            seen = lineNo;
        }
        r.table[std::size_t(*number)] = *value;
        ++count;
    }
    if (count != expected)
        return fault(TextFileError::WrongCount, 0,
                     QStringLiteral("%1 value lines, expected %2").arg(count).arg(expected));
    r.error = duplicate ? TextFileError::BadLine : TextFileError::None;
    return r;
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

namespace {

TextScan scanParameterFile(const QByteArray& contents, TParWaarden& out)
{
    TextScan r = scanTextFile(contents, ParameterHeader, ParameterLines);
    if (r.error == TextFileError::None)
        for (int n = 0; n < ParameterLines; ++n)
            out[n] = r.table[std::size_t(n)];
    return r;
}

TextScan scanSetpointFile(const QByteArray& contents, TSollWaarden& out)
{
    TextScan r = scanTextFile(contents, SetpointHeader, SetpointLines);
    // The value of S000 is not used.
    if (r.error == TextFileError::None)
        for (int n = 1; n <= 80; ++n)
            out[n] = r.table[std::size_t(n)];
    return r;
}

} // namespace

TextFileError parseParameterFile(const QByteArray& contents, TParWaarden& out)
{
    return scanParameterFile(contents, out).error;
}

TextFileError parseSetpointFile(const QByteArray& contents, TSollWaarden& out)
{
    return scanSetpointFile(contents, out).error;
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
    if (contents.size() != BackupSize)
        return BackupError::WrongSize;
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

ValueFile valueFileFrom(const QByteArray& contents, const QString& name)
{
    ValueFile f;
    const bool marks = contents.size() >= 8 && get32(contents, 0) == BackupStartMark && get32(contents, 4) == BackupStartMark;
    if (contents.startsWith(ParameterHeader))
        f.kind = FileKind::Parameters;
    else if (contents.startsWith(SetpointHeader))
        f.kind = FileKind::Setpoints;
    else if (marks || contents.size() == BackupSize || name.endsWith(QLatin1String(".bak"), Qt::CaseInsensitive))
        f.kind = FileKind::Backup;

    auto refuse = [&](FileFault fault, int line, const QString& why) {
        f.fault = fault;
        f.line = line;
        f.error = why;
        return f;
    };
    if (contents.size() > MaxTextFileSize)
        return refuse(FileFault::TooLarge, 0, QStringLiteral("too large for a parameter, setpoint or backup file"));

    compare::ValueSet& v = f.values;
    switch (f.kind) {
    case FileKind::Unknown:
        return refuse(FileFault::Unrecognised, 1, QStringLiteral("line 1: neither a parameter, setpoint nor backup file"));
    case FileKind::Parameters:
    case FileKind::Setpoints: {
        const bool parameters = f.kind == FileKind::Parameters;
        const TextScan r = parameters ? scanParameterFile(contents, v.par) : scanSetpointFile(contents, v.soll);
        switch (r.error) {
        case TextFileError::None: break;
        case TextFileError::WrongCount: return refuse(FileFault::WrongCount, r.line, r.why);
        case TextFileError::BadLine: return refuse(FileFault::BadLine, r.line, r.why);
        case TextFileError::BadHeader:
        case TextFileError::CannotOpen: return refuse(FileFault::Unrecognised, r.line, r.why);
        }
        (parameters ? v.hasParameters : v.hasSetpoints) = true;
        return f;
    }
    case FileKind::Backup:
        switch (parseBackupFile(contents, v.par, v.soll)) {
        case BackupError::None: break;
        case BackupError::WrongSize:
            return refuse(FileFault::WrongSize, 0,
                          QStringLiteral("%1 bytes, a backup file has %2").arg(contents.size()).arg(BackupSize));
        case BackupError::BadMarks: return refuse(FileFault::BadMarks, 0, QStringLiteral("the start or end marks are wrong"));
        }
        v.hasParameters = v.hasSetpoints = true;
        return f;
    }
    return f;
}

ValueFile readValueFile(const QString& path)
{
    QFile file(path);
    QByteArray contents;
    if (file.open(QIODevice::ReadOnly))
        contents = file.read(MaxTextFileSize + 1); // one byte more tells a file too large
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        ValueFile f;
        f.fault = FileFault::CannotOpen;
        f.error = file.errorString();
        return f;
    }
    return valueFileFrom(contents, path);
}

TextFileError textFileError(const ValueFile& file, FileKind wanted)
{
    if (file.fault == FileFault::CannotOpen)
        return TextFileError::CannotOpen;
    // Another kind of file, also one too large, is refused by its header.
    if (file.kind != wanted)
        return TextFileError::BadHeader;
    switch (file.fault) {
    case FileFault::None: return TextFileError::None;
    case FileFault::BadLine: return TextFileError::BadLine;
    default: return TextFileError::WrongCount;
    }
}

} // namespace vx::files
