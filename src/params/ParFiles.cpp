#include "params/ParFiles.h"

#include "app/core/AppState.h"
#include "app/core/Taal.h"
#include "app/core/UiSeams.h"
#include "device/CommandSet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QtEndian>
#include <functional>
#include <vector>

namespace vx::files {

namespace {

// A text file larger than this is not a parameter or setpoint file; reading it whole
// would only tie up memory.
constexpr qint64 MaxTextFileSize = 16 * 1024 * 1024;

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
    QList<QByteArray> lines = contents.split('\n');
    // A final line end leaves one empty piece behind; it is no line of its own.
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    for (QByteArray& l : lines)
        if (l.endsWith('\r'))
            l.chop(1);

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
        put32(out, par.value(i));      // 0 beyond 511
    for (int i = 1; i <= BackupSollEntries; ++i)
        put32(out, soll.value(i));     // 0 beyond 80
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
        f.cancelWriting();   // the temporary file goes, the target stays as it was
        return false;
    }
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

// --- texts and dialogs ----------------------------------------------------------------

namespace {

struct KindTexts {
    QString saveTitle, openTitle, filter, errorCaption;
    QString openMsg[5];     // 1 ... 4 used
    QString saveMsg;
};

// Every lookup is written out so the language-key check finds it.
KindTexts kindTexts(FileKind kind)
{
    KindTexts t;
    const bool loaded = app().TaalGeladen;
    switch (kind) {
    case FileKind::Parameters:
        if (!loaded)
            break;
        t.saveTitle = taal("EditParam", "SaveCaption", "");
        t.openTitle = taal("EditParam", "OpenCaption", "");
        t.filter = taal("EditParam", "OpenFilter", "ASCII Parameterbestand (*.app)|*.app");
        t.errorCaption = taal("EditParam", "Msg_ErrorCaption", "");
        t.openMsg[1] = taal("EditParam", "OpenMsg1", "");
        t.openMsg[2] = taal("EditParam", "OpenMsg2", "");
        t.openMsg[3] = taal("EditParam", "OpenMsg3", "");
        t.openMsg[4] = taal("EditParam", "OpenMsg4", "");
        t.saveMsg = taal("EditParam", "SaveMsg1", "The file could not be saved.");
        break;
    case FileKind::Setpoints:
        if (!loaded)
            break;
        t.saveTitle = taal("EditSollwert", "SaveCaption", "");
        t.openTitle = taal("EditSollwert", "OpenCaption", "");
        t.filter = taal("EditSollwert", "OpenFilter", "ASCII Parameterbestand (*.app)|*.app");
        t.errorCaption = taal("EditSollwert", "Msg_ErrorCaption", "");
        t.openMsg[1] = taal("EditSollwert", "OpenMsg1", "");
        t.openMsg[2] = taal("EditSollwert", "OpenMsg2", "");
        t.openMsg[3] = taal("EditSollwert", "OpenMsg3", "");
        t.openMsg[4] = taal("EditSollwert", "OpenMsg4", "");
        t.saveMsg = taal("EditSollwert", "SaveMsg1", "The file could not be saved.");
        break;
    case FileKind::Backup:
        if (!loaded)
            break;
        t.saveTitle = taal("BackupRestore", "SaveCaption", "");
        t.openTitle = taal("BackupRestore", "OpenCaption", "");
        t.filter = taal("BackupRestore", "OpenFilter", "ASCII Parameterbestand (*.bak)|*.bak");
        t.errorCaption = taal("BackupRestore", "Msg_ErrorCaption", "");
        t.openMsg[1] = taal("BackupRestore", "OpenMsg1", "");
        t.openMsg[2] = taal("BackupRestore", "OpenMsg2", "");
        t.saveMsg = taal("BackupRestore", "SaveMsg1", "The file could not be saved.");
        break;
    }
    return t;
}

const char* extensionOf(FileKind kind)
{
    switch (kind) {
    case FileKind::Parameters: return "app";
    case FileKind::Setpoints: return "aps";
    case FileKind::Backup: return "bak";
    }
    return "";
}

// The save dialogs' filter when the language file lacks OpenFilter differs from the
// open dialogs' (a bare pattern); with the key present both use it.
QString saveFilter(FileKind kind, const KindTexts& t)
{
    if (!app().TaalGeladen)
        return QString();
    switch (kind) {
    case FileKind::Parameters:
        return taal("EditParam", "OpenFilter", "*.app");
    case FileKind::Setpoints:
        return taal("EditSollwert", "OpenFilter", "*.app");
    case FileKind::Backup:
        return taal("BackupRestore", "OpenFilter", "*.bak");
    }
    return t.filter;
}

void rememberFolder(const QString& file)
{
    app().OpenCloseDialoogPath = QFileInfo(file).absolutePath();
}

void showSaveFailure(QWidget* parent, FileKind kind, const QString& reason)
{
    const KindTexts t = kindTexts(kind);
    QString text = t.saveMsg;
    if (!reason.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + reason;
    showError(parent, t.errorCaption, text);
}

void showOpenFailure(QWidget* parent, FileKind kind, TextFileError e)
{
    const KindTexts t = kindTexts(kind);
    showError(parent, t.errorCaption, t.openMsg[int(e)]);
}

bool readWholeTextFile(const QString& path, QByteArray& contents)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    contents = f.read(MaxTextFileSize + 1);
    return f.error() == QFileDevice::NoError;
}

} // namespace

QString dialogFilter(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    if (parts.size() < 2)
        return filter;
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        description.remove(trailingPatterns);
        QString patterns = parts.at(i + 1);
        patterns.replace(u';', u' ');
        out << description + QStringLiteral(" (") + patterns.simplified() + u')';
    }
    return out.join(QStringLiteral(";;"));
}

QString withDefaultExtension(const QString& name, FileKind kind)
{
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty())
        return name;
    return name + u'.' + QLatin1String(extensionOf(kind));
}

QString chooseSaveFile(QWidget* parent, FileKind kind)
{
    const KindTexts t = kindTexts(kind);
    QString name = ui().saveFileName(parent, t.saveTitle, app().OpenCloseDialoogPath,
                                     dialogFilter(saveFilter(kind, t)), QLatin1String(extensionOf(kind)));
    if (name.isEmpty())
        return QString();
    name = withDefaultExtension(name, kind);
    rememberFolder(name);
    return name;
}

QString chooseOpenFile(QWidget* parent, FileKind kind)
{
    const KindTexts t = kindTexts(kind);
    const QString name = ui().openFileName(parent, t.openTitle, app().OpenCloseDialoogPath,
                                           dialogFilter(t.filter));
    if (!name.isEmpty())
        rememberFolder(name);
    return name;
}

bool writeParameterFile(QWidget* parent, const QString& path)
{
    QString reason;
    if (saveAtomically(path, parameterFileText(app().unitNumber(), ParWaarden), &reason))
        return true;
    showSaveFailure(parent, FileKind::Parameters, reason);
    return false;
}

bool writeSetpointFile(QWidget* parent, const QString& path)
{
    QString reason;
    if (saveAtomically(path, setpointFileText(app().unitNumber(), SollWaarden), &reason))
        return true;
    showSaveFailure(parent, FileKind::Setpoints, reason);
    return false;
}

bool readParameterFile(QWidget* parent, const QString& path)
{
    QByteArray contents;
    if (!readWholeTextFile(path, contents)) {
        showOpenFailure(parent, FileKind::Parameters, TextFileError::CannotOpen);
        return false;
    }
    TParWaarden scratch;
    TextFileError e = contents.size() > MaxTextFileSize ? TextFileError::WrongCount
                                                        : parseParameterFile(contents, scratch);
    // The header is checked first, also for an oversized file.
    if (!contents.startsWith(ParameterHeader))
        e = TextFileError::BadHeader;
    if (e != TextFileError::None) {
        showOpenFailure(parent, FileKind::Parameters, e);
        return false;
    }
    ParWaarden = scratch;
    ParStatus = 2;
    return true;
}

bool readSetpointFile(QWidget* parent, const QString& path)
{
    QByteArray contents;
    if (!readWholeTextFile(path, contents)) {
        showOpenFailure(parent, FileKind::Setpoints, TextFileError::CannotOpen);
        return false;
    }
    TSollWaarden scratch;
    TextFileError e = contents.size() > MaxTextFileSize ? TextFileError::WrongCount
                                                        : parseSetpointFile(contents, scratch);
    if (!contents.startsWith(SetpointHeader))
        e = TextFileError::BadHeader;
    if (e != TextFileError::None) {
        showOpenFailure(parent, FileKind::Setpoints, e);
        return false;
    }
    SollWaarden = scratch;
    SollStatus = 2;
    return true;
}

bool saveParameterFile(QWidget* parent)
{
    const QString name = chooseSaveFile(parent, FileKind::Parameters);
    return !name.isEmpty() && writeParameterFile(parent, name);
}

bool openParameterFile(QWidget* parent)
{
    const QString name = chooseOpenFile(parent, FileKind::Parameters);
    return !name.isEmpty() && readParameterFile(parent, name);
}

bool saveSetpointFile(QWidget* parent)
{
    const QString name = chooseSaveFile(parent, FileKind::Setpoints);
    return !name.isEmpty() && writeSetpointFile(parent, name);
}

bool openSetpointFile(QWidget* parent)
{
    const QString name = chooseOpenFile(parent, FileKind::Setpoints);
    return !name.isEmpty() && readSetpointFile(parent, name);
}

bool writeBackupFile(QWidget* parent, const QString& path, const TParWaarden& par, const TSollWaarden& soll)
{
    QString reason;
    if (saveAtomically(path, backupFileBytes(par, soll), &reason))
        return true;
    showSaveFailure(parent, FileKind::Backup, reason);
    return false;
}

bool readBackupFile(QWidget* parent, const QString& path, TParWaarden& par, TSollWaarden& soll)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        const KindTexts t = kindTexts(FileKind::Backup);
        showError(parent, t.errorCaption, t.openMsg[1]);
        return false;
    }
    const QByteArray contents = f.read(BackupSize);
    if (parseBackupFile(contents, par, soll) != BackupError::None) {
        // Wrong marks and a short file alike: not a backup, nothing is taken from it.
        showError(parent, QString(), kindTexts(FileKind::Backup).openMsg[2]);
        return false;
    }
    return true;
}

} // namespace vx::files
