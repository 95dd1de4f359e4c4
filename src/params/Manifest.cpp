#include "params/Manifest.h"

#include "core/AppState.h"
#include "core/AtomicFile.h"
#include "params/ValueStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace vx::manifest {

namespace {

std::function<Line()>& lineSource()
{
    static std::function<Line()> source;
    return source;
}

} // namespace

QString pathFor(const QString& backupPath) { return backupPath + QStringLiteral(".json"); }

QByteArray sha256Hex(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray toJson(const Manifest& m)
{
    // Flat, strings and numbers only: the simulator reads it without a JSON library.
    const QJsonObject o{{"rt", m.rt},
                        {"rh", m.rh},
                        {"rx", m.rx},
                        {"unit", m.unit},
                        {"port", m.port},
                        {"line", m.line},
                        {"date", m.date.toString(Qt::ISODate)},
                        {"tool", m.tool},
                        {"kind", m.kind},
                        {"values", m.values},
                        {"sha256", QString::fromLatin1(m.sha256)}};
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

bool fromJson(const QByteArray& text, Manifest& m, QString* error)
{
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &pe);
    const QJsonObject o = doc.object();
    const QString sha = o.value(QStringLiteral("sha256")).toString();
    if (pe.error != QJsonParseError::NoError || !doc.isObject() || sha.size() != 64) {
        if (error)
            *error = pe.error != QJsonParseError::NoError ? pe.errorString() : QStringLiteral("no sha256");
        return false;
    }
    m.rt = o.value(QStringLiteral("rt")).toString();
    m.rh = o.value(QStringLiteral("rh")).toString();
    m.rx = o.value(QStringLiteral("rx")).toString();
    m.unit = o.value(QStringLiteral("unit")).toInt(-1);
    m.port = o.value(QStringLiteral("port")).toString();
    m.line = o.value(QStringLiteral("line")).toString();
    m.date = QDateTime::fromString(o.value(QStringLiteral("date")).toString(), Qt::ISODate);
    m.tool = o.value(QStringLiteral("tool")).toString();
    m.kind = o.value(QStringLiteral("kind")).toString();
    m.values = o.value(QStringLiteral("values")).toInt();
    m.sha256 = sha.toLatin1().toLower();
    return true;
}

Manifest describe(const QByteArray& backupBytes, const QString& kind, const QDateTime& when)
{
    Manifest m;
    m.date = when;
    m.tool = QString::fromLatin1(ProgrammaVersie);
    m.kind = kind;
    m.values = ParCount + SollCount;
    m.sha256 = sha256Hex(backupBytes);
    return m;
}

bool save(const QString& backupPath, const Manifest& m, QString* error)
{
    return saveAtomically(pathFor(backupPath), toJson(m), error);
}

bool saveBackup(const QString& backupPath, const QByteArray& bytes, const Manifest& m, QString* error)
{
    Manifest checked = m;
    checked.sha256 = sha256Hex(bytes);
    if (!saveAtomically(backupPath, bytes, error))
        return false;
    if (save(backupPath, checked, error))
        return true;
    // A manifest of an earlier backup under this name would now describe other bytes.
    QFile::remove(pathFor(backupPath));
    return false;
}

Checked check(const QString& backupPath, const QByteArray& bytes)
{
    Checked c;
    QFile f(pathFor(backupPath));
    if (!f.exists())
        return c;
    if (!f.open(QIODevice::ReadOnly) || !fromJson(f.read(64 * 1024), c.manifest, &c.error)) {
        if (c.error.isEmpty())
            c.error = f.errorString();
        c.state = State::Unreadable;
        return c;
    }
    c.state = sha256Hex(bytes) == c.manifest.sha256 ? State::Matches : State::Changed;
    return c;
}

QString typeOf(const QString& rt) { return rt.trimmed().left(4); }

bool otherController(const Manifest& m, const QString& connectedRt, const QString& connectedRx)
{
    return typeOf(m.rt) != typeOf(connectedRt) || m.rx.trimmed() != connectedRx.trimmed();
}

QString controllerText(const QString& rt, const QString& rx)
{
    return QStringLiteral("%1, rx \"%2\"").arg(typeOf(rt).isEmpty() ? QStringLiteral("?") : typeOf(rt), rx.trimmed());
}

namespace {

QString foldersFile(const QString& dataDir) { return dataDir + QStringLiteral("/backup-folders.txt"); }

} // namespace

QStringList folders(const QString& dataDir)
{
    QFile f(foldersFile(dataDir));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (const QString d = QString::fromUtf8(line).trimmed(); !d.isEmpty() && !out.contains(d))
            out << d;
    return out;
}

void rememberFolder(const QString& dataDir, const QString& folder)
{
    QStringList all = folders(dataDir);
    const QString clean = QDir::cleanPath(folder);
    if (all.contains(clean))
        return;
    all << clean;
    QDir().mkpath(dataDir);
    saveAtomically(foldersFile(dataDir), (all.join(u'\n') + u'\n').toUtf8());
}

void setCurrentLine(std::function<Line()> line) { lineSource() = std::move(line); }

Line currentLine() { return lineSource() ? lineSource()() : Line{}; }

} // namespace vx::manifest
