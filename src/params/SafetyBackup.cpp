#include "params/SafetyBackup.h"

#include "core/LanguageTexts.h"
#include "core/Paths.h"
#include "params/ParFormats.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <algorithm>

namespace vx::safety {

namespace {

bool g_backups = false;
bool g_verify = false;

// type _ rx _ uN _ date _ time [-k] .bak; the type never holds '_', the rx text may.
const QRegularExpression& namePattern()
{
    static const QRegularExpression re(QStringLiteral(
        R"(^([A-Za-z0-9-]+)_(.+)_u(\d+)_(\d{4}-\d{2}-\d{2}_\d{2}-\d{2}-\d{2})(?:-(\d+))?\.bak$)"));
    return re;
}

struct Entry {
    QString name, rx, stamp;
    int extra = 1;
};

QList<Entry> entries(const QString& dir)
{
    QList<Entry> out;
    const QStringList names = QDir(dir).entryList({QStringLiteral("*.bak")}, QDir::Files);
    for (const QString& n : names) {
        const auto m = namePattern().match(n);
        if (!m.hasMatch())
            continue;
        out.append({n, m.captured(2), m.captured(4), m.captured(5).isEmpty() ? 1 : m.captured(5).toInt()});
    }
    std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.extra != b.extra ? a.extra < b.extra
                                                                           : a.name < b.name;
    });
    return out;
}

} // namespace

QString namePart(const QString& text)
{
    QString out;
    for (const QChar c : text.trimmed())
        out += (c.isLetterOrNumber() && c.unicode() < 0x80) || c == u'-' ? c : QChar(u'_');
    return out.isEmpty() ? QStringLiteral("unknown") : out;
}

QString fileName(const QString& type, const QString& rx, int unit, const QDateTime& when)
{
    // The type names the file's first field, so it must not hold the separator.
    QString t = namePart(type);
    t.replace(u'_', u'-');
    return QStringLiteral("%1_%2_u%3_%4.bak")
        .arg(t, namePart(rx))
        .arg(unit)
        .arg(when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")));
}

QString folder() { return paths::userDataDir() + QStringLiteral("/Backups"); }

QStringList backups(const QString& dir, const QString* rx)
{
    const QString want = rx ? namePart(*rx) : QString();
    QStringList out;
    for (const Entry& e : entries(dir))
        if (!rx || e.rx == want)
            out << QDir(dir).filePath(e.name);
    return out;
}

QString latest(const QString& dir)
{
    const QStringList all = backups(dir);
    return all.isEmpty() ? QString() : all.last();
}

int prune(const QString& dir, const QString& rx, int keep, const QString& justWritten, const QDateTime& now)
{
    struct Dated {
        QString path;
        QDateTime modified;
    };
    QList<Dated> old;
    const QString kept = justWritten.isEmpty() ? QString() : QFileInfo(justWritten).absoluteFilePath();
    bool keptIsMine = false;
    // Name order first, so files of the same modification time go oldest name first.
    for (const QString& path : backups(dir, &rx)) {
        const QFileInfo info(path);
        if (!kept.isEmpty() && info.absoluteFilePath() == kept) {
            keptIsMine = true;
            continue;
        }
        const QDateTime modified = info.lastModified();
        if (modified > now)
            continue;
        old.append({path, modified});
    }
    std::stable_sort(old.begin(), old.end(), [](const Dated& a, const Dated& b) { return a.modified < b.modified; });
    const qsizetype room = std::max(0, keep - (keptIsMine ? 1 : 0));
    int removed = 0;
    for (qsizetype i = 0; i + room < old.size(); ++i) {
        if (!QFile::remove(old[i].path))
            continue;
        QFile::remove(manifest::pathFor(old[i].path));
        ++removed;
    }
    return removed;
}

Taken save(const QString& dir, const Identity& id, int unit, const TParWaarden& par, const TSollWaarden& soll,
           const QDateTime& when, const manifest::Line* where)
{
    Taken t;
    if (!QDir().mkpath(dir)) {
        t.error = QStringLiteral("cannot create %1").arg(dir);
        return t;
    }
    QString name = fileName(id.type, id.rx, unit, when);
    // Never overwrite an earlier safety backup taken in the same second.
    for (int k = 2; QFileInfo::exists(QDir(dir).filePath(name)); ++k)
        name = fileName(id.type, id.rx, unit, when).chopped(4) + QStringLiteral("-%1.bak").arg(k);
    const QString path = QDir(dir).filePath(name);
    const QByteArray bytes = files::backupFileBytes(par, soll);
    manifest::Manifest m = manifest::describe(bytes, QLatin1String(manifest::KindSafety), when);
    const manifest::Line line = where ? *where : manifest::currentLine();
    m.rt = id.type;
    m.rh = line.rh;
    m.rx = id.rx;
    m.unit = unit;
    m.port = line.port;
    m.line = line.line;
    if (!manifest::saveBackup(path, bytes, m, &t.error))
        return t;
    t.path = path;
    t.values.hasParameters = t.values.hasSetpoints = true;
    t.values.par = par;
    t.values.soll = soll;
    // A file just written may carry a modification time a little after `when`.
    prune(dir, id.rx, KeepPerController, path, std::max(when, QDateTime::currentDateTime()));
    return t;
}

namespace {
QString recordsPath(const QString& dir)
{
    return dir + QStringLiteral("/writes.ini");
}
} // namespace

std::optional<WriteRecord> lastWrite(const QString& dir, const QString& rx)
{
    QSettings f(recordsPath(dir), QSettings::IniFormat);
    f.beginGroup(namePart(rx));
    if (!f.contains(QStringLiteral("started")))
        return std::nullopt;
    WriteRecord r;
    r.rx = rx;
    r.kind = f.value(QStringLiteral("kind")).toString();
    r.started = QDateTime::fromString(f.value(QStringLiteral("started")).toString(), Qt::ISODate);
    r.backup = f.value(QStringLiteral("backup")).toString();
    r.finished = f.value(QStringLiteral("finished")).toBool();
    return r;
}

WriteRecord writeBegins(const QString& dir, WriteRecord record)
{
    if (const auto before = lastWrite(dir, record.rx); before && !before->finished && QFileInfo::exists(before->backup)) {
        record.backup = before->backup;
        record.started = before->started;
        record.kind = before->kind;
    }
    QSettings f(recordsPath(dir), QSettings::IniFormat);
    f.beginGroup(namePart(record.rx));
    f.setValue(QStringLiteral("kind"), record.kind);
    f.setValue(QStringLiteral("started"), record.started.toString(Qt::ISODate));
    f.setValue(QStringLiteral("backup"), record.backup);
    f.setValue(QStringLiteral("finished"), false);
    f.endGroup();
    f.sync();
    return record;
}

void writeEnds(const QString& dir, const QString& rx)
{
    QSettings f(recordsPath(dir), QSettings::IniFormat);
    f.beginGroup(namePart(rx));
    if (f.contains(QStringLiteral("started")))
        f.setValue(QStringLiteral("finished"), true);
    f.endGroup();
    f.sync();
}

QString reasonText(const Taken& taken)
{
    const transfer::Result& r = taken.read;
    const QString what = !taken.failedRequest.isEmpty()       ? taken.failedRequest
                         : r.item == transfer::Item::Setpoint ? QStringLiteral("rs %1").arg(r.number)
                                                              : QStringLiteral("rp %1").arg(r.number);
    switch (r.outcome) {
    case transfer::Outcome::NoReply: return texts::Verify("ReasonNoReply").arg(what);
    case transfer::Outcome::LineFailed: return texts::Verify("ReasonLine").arg(what);
    case transfer::Outcome::Refused: return texts::Verify("ReasonRefused").arg(what);
    case transfer::Outcome::BadReply: return texts::Verify("ReasonBadReply").arg(what);
    case transfer::Outcome::Stopped: return texts::Verify("ReasonStopped");
    case transfer::Outcome::Done: break;
    }
    return taken.error;
}

bool backupsOn() { return g_backups; }
void setBackupsOn(bool on) { g_backups = on; }
bool verifyOn() { return g_verify; }
void setVerifyOn(bool on) { g_verify = on; }

} // namespace vx::safety
