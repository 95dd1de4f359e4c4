#include "fleet/Units.h"

#include "core/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace vx::fleet {

namespace {

QString unitsFile(const QString& dataDir) { return dataDir + QStringLiteral("/units.json"); }

const char* parityLetter(TParityBit p)
{
    switch (p) {
    case TParityBit::None: return "N";
    case TParityBit::Even: return "E";
    case TParityBit::Odd: return "O";
    }
    return "?";
}

} // namespace

std::optional<TBaudrate> baudOf(int value)
{
    for (int i = 0; i <= int(TBaudrate::br115200); ++i)
        if (baudrateValue(TBaudrate(i)) == value)
            return TBaudrate(i);
    return std::nullopt;
}

QString lineText(const plans::LineSettings& line, int dataBits)
{
    return QStringLiteral("%1 %2%3%4")
        .arg(baudrateValue(line.baud))
        .arg(dataBits)
        .arg(QLatin1String(parityLetter(line.parity)))
        .arg(line.stop == TStopBit::sb_2 ? 2 : 1);
}

KnownUnit foundUnit(const QString& port, const plans::Probe& probe, const plans::Identity& id, int dataBits)
{
    KnownUnit u;
    u.port = port;
    u.unit = probe.unit;
    u.line = probe.line;
    u.dataBits = dataBits;
    u.rt = id.type.value_or(QString()).trimmed();
    u.rh = id.ident2.value_or(QString()).trimmed();
    u.rx = id.ident3.value_or(QString()).trimmed();
    u.seen = QDateTime::currentDateTime();
    return u;
}

QList<KnownUnit> loadUnits(const QString& dataDir)
{
    QFile f(unitsFile(dataDir));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<KnownUnit> out;
    const QJsonArray all = QJsonDocument::fromJson(f.readAll()).object().value(QStringLiteral("units")).toArray();
    for (const auto& v : all) {
        const QJsonObject o = v.toObject();
        const QString line = o.value(QStringLiteral("line")).toString(); // "9600 8E1"
        const auto baud = baudOf(line.section(u' ', 0, 0).toInt());
        const QString frame = line.section(u' ', 1);
        const int unit = o.value(QStringLiteral("unit")).toInt(-1);
        if (!baud || frame.size() != 3 || unit < 0 || unit > 31)
            continue; // a row edited by hand into something no port can do
        KnownUnit u;
        u.port = o.value(QStringLiteral("port")).toString();
        u.unit = unit;
        u.line.baud = *baud;
        u.dataBits = frame[0] == u'7' ? 7 : 8;
        u.line.parity = frame[1] == u'N' ? TParityBit::None : frame[1] == u'O' ? TParityBit::Odd
                                                                               : TParityBit::Even;
        u.line.stop = frame[2] == u'2' ? TStopBit::sb_2 : TStopBit::sb_1;
        u.rt = o.value(QStringLiteral("rt")).toString();
        u.rh = o.value(QStringLiteral("rh")).toString();
        u.rx = o.value(QStringLiteral("rx")).toString();
        u.seen = QDateTime::fromString(o.value(QStringLiteral("seen")).toString(), Qt::ISODate);
        out << u;
    }
    return out;
}

bool saveUnits(const QString& dataDir, const QList<KnownUnit>& units, QString* error)
{
    QJsonArray all;
    for (const KnownUnit& u : units)
        all.append(QJsonObject{{"port", u.port},
                               {"unit", u.unit},
                               {"line", lineText(u.line, u.dataBits)},
                               {"rt", u.rt},
                               {"rh", u.rh},
                               {"rx", u.rx},
                               {"seen", u.seen.toString(Qt::ISODate)}});
    QDir().mkpath(dataDir);
    return saveAtomically(unitsFile(dataDir), QJsonDocument(QJsonObject{{"units", all}}).toJson(), error);
}

QList<KnownUnit> merged(QList<KnownUnit> known, const QList<KnownUnit>& found)
{
    for (const KnownUnit& f : found) {
        known.removeIf([&](const KnownUnit& k) { return k.port == f.port && k.unit == f.unit; });
        known << f;
    }
    std::stable_sort(known.begin(), known.end(), [](const KnownUnit& a, const KnownUnit& b) {
        return a.port != b.port ? a.port < b.port : a.unit < b.unit;
    });
    return known;
}

QString filePart(const QString& text)
{
    QString t = text.trimmed();
    t.removeIf([](QChar c) { return !(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-'; });
    return t.isEmpty() ? QStringLiteral("x") : t;
}

QString backupName(const QString& rt, const QString& rx, int unit, const QDate& date)
{
    return filePart(rt.trimmed().left(4)) + u'_' + filePart(rx) + QStringLiteral("_u") + QString::number(unit) + u'_'
           + date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".bak");
}

} // namespace vx::fleet
