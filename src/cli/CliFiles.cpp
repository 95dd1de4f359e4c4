#include "cli/CliFiles.h"

#include "device/CommandSet.h"
#include "params/ParFormats.h"

#include <QFile>
#include <vector>

namespace vx::cli {

namespace {

// Where a text file breaks the rules ParFormats applies: the first bad line, or
// the count. Only called once the parser has refused the file.
QString textFileFault(const QByteArray& contents, const char* header, int expected)
{
    const QList<QByteArray> lines = files::textFileLines(contents);
    if (lines.isEmpty() || !lines.constFirst().startsWith(header))
        return QStringLiteral("line 1: the header is not \"%1\"").arg(QLatin1String(header));
    std::vector<int> firstLine(std::size_t(expected), 0);
    int count = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        const int lineNo = int(i) + 1;
        if (line.isEmpty())
            continue;
        if (line.indexOf(' ') != 4)
            return QStringLiteral("line %1: expected a letter, three digits, a blank and a value").arg(lineNo);
        const auto number = cmd::parseDecimal(QString::fromLatin1(line.mid(1, 3)));
        const auto value = cmd::parseDecimal(QString::fromLatin1(line.mid(5)));
        if (!number || *number < 0 || *number >= expected)
            return QStringLiteral("line %1: number %2 is outside 0 .. %3")
                .arg(lineNo)
                .arg(QString::fromLatin1(line.mid(1, 3)))
                .arg(expected - 1);
        if (!value)
            return QStringLiteral("line %1: \"%2\" is not a whole number").arg(lineNo).arg(QString::fromLatin1(line.mid(5)));
        int& seen = firstLine[std::size_t(*number)];
        if (seen)
            return QStringLiteral("line %1: number %2 again (first on line %3)").arg(lineNo).arg(*number).arg(seen);
        seen = lineNo;
        ++count;
    }
    return QStringLiteral("%1 value lines, expected %2").arg(count).arg(expected);
}

} // namespace

LoadedFile loadValueFile(const QString& path)
{
    LoadedFile r;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.error = f.errorString();
        return r;
    }
    if (f.size() > files::MaxTextFileSize) {
        r.error = QStringLiteral("too large for a parameter, setpoint or backup file");
        return r;
    }
    const QByteArray contents = f.readAll();
    if (contents.startsWith(files::ParameterHeader)) {
        r.kind = FileKind::Parameters;
        if (files::parseParameterFile(contents, r.values.par) != files::TextFileError::None)
            r.error = textFileFault(contents, files::ParameterHeader, files::ParameterLines);
        r.values.hasParameters = r.error.isEmpty();
    } else if (contents.startsWith(files::SetpointHeader)) {
        r.kind = FileKind::Setpoints;
        if (files::parseSetpointFile(contents, r.values.soll) != files::TextFileError::None)
            r.error = textFileFault(contents, files::SetpointHeader, files::SetpointLines);
        r.values.hasSetpoints = r.error.isEmpty();
    } else if (path.endsWith(QLatin1String(".bak"), Qt::CaseInsensitive) || contents.size() == files::BackupSize) {
        r.kind = FileKind::Backup;
        switch (files::parseBackupFile(contents, r.values.par, r.values.soll)) {
        case files::BackupError::None:
            r.values.hasParameters = r.values.hasSetpoints = true;
            break;
        case files::BackupError::TooShort:
            r.error = QStringLiteral("%1 bytes, a backup file has %2").arg(contents.size()).arg(files::BackupSize);
            break;
        case files::BackupError::BadMarks: r.error = QStringLiteral("the start or end marks are wrong"); break;
        }
    } else {
        r.error = QStringLiteral("line 1: neither a parameter, setpoint nor backup file");
    }
    return r;
}

} // namespace vx::cli
