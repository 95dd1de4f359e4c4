// Property: the safety-backup and traffic-log folders are read by file name only, and
// a name counts as one of ours exactly when it has the form the program writes (ASCII
// digits, a real date): every name the program makes is found again, in time order,
// with its "rx" text; pruning removes the oldest of one "rx" text and nothing else;
// the log's pruning removes exactly the day files older than the days kept. Names of
// other files (any bytes) are never listed or removed.
#include "FuzzSupport.h"
#include "comm/TrafficLogFile.h"
#include "params/SafetyBackup.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <regex>

using namespace vx;

namespace {

QString folderFor(const char* name)
{
    const QString dir = fuzz::scratchDir() + u'/' + QLatin1String(name);
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    return dir;
}

void touch(const QString& dir, const QString& name)
{
    QFile f(dir + u'/' + name);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly));
}

QSet<QString> filesIn(const QString& dir)
{
    const QStringList l = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    return QSet<QString>(l.begin(), l.end());
}

// A file name from the input: any bytes but '/' and NUL (and no line breaks, which
// no pattern here means to take).
QString strayName(fuzz::Input& in)
{
    QByteArray b;
    for (int n = in.byte() % 48; n > 0 && !in.empty(); --n) {
        const uint8_t c = in.byte();
        b += c < 0x20 || c == '/' ? '_' : char(c);
    }
    QString s = QString::fromUtf8(b);
    if (s.isEmpty() || s == u"." || s == u"..") s = QStringLiteral("x");
    return s;
}

QString shortText(fuzz::Input& in)
{
    QByteArray b;
    for (int n = in.byte() % 12; n > 0 && !in.empty(); --n) b += char(in.byte());
    return QString::fromLatin1(b);
}

struct Ours {
    QString name, rx;
    QDateTime when;
};

void safetyBackups(fuzz::Input& in)
{
    const QString dir = folderFor("Backups");
    const QDateTime origin(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    QList<Ours> ours;
    QSet<QString> strays;
    for (int n = in.byte() % 6; n > 0; --n) {
        if (in.byte() & 1) {
            const QString s = strayName(in);
            strays.insert(s);
            touch(dir, s);
            continue;
        }
        const QString type = shortText(in), rx = shortText(in);
        const int unit = in.byte();
        const QDateTime when = origin.addSecs(qint64(uint32_t(in.int32()) % 2000000000u));
        QString name = safety::fileName(type, rx, unit, when);
        for (int k = 2; QFile::exists(dir + u'/' + name); ++k)
            name = safety::fileName(type, rx, unit, when).chopped(4) + QStringLiteral("-%1.bak").arg(k);
        touch(dir, name);
        ours.append({name, rx, when});
    }
    static const std::regex form(R"(^[A-Za-z0-9-]+_(.+)_u[0-9]+_[0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{2}-[0-9]{2}-[0-9]{2}(-[0-9]+)?\.bak$)");
    QSet<QString> expected;
    for (const Ours& o : ours) expected.insert(o.name);
    for (const QString& s : strays)
        if (std::regex_match(s.toStdString(), form)) expected.insert(s);

    const QStringList all = safety::backups(dir);
    QSet<QString> listed;
    for (const QString& p : all) listed.insert(QFileInfo(p).fileName());
    FUZZ_CHECK(listed == expected && all.size() == expected.size());
    for (const Ours& o : ours) {
        const QStringList mine = safety::backups(dir, &o.rx);
        FUZZ_CHECK(mine.contains(dir + u'/' + o.name));
        // Oldest first among the program's own.
        for (const Ours& p : ours)
            if (p.when < o.when) FUZZ_CHECK(all.indexOf(dir + u'/' + p.name) < all.indexOf(dir + u'/' + o.name));
    }
    if (ours.isEmpty()) return;
    const QString& rx = ours[in.byte() % ours.size()].rx;
    const int keep = in.byte() % 4;
    const QStringList before = safety::backups(dir, &rx);
    const QSet<QString> present = filesIn(dir);
    const int removed = safety::prune(dir, rx, keep);
    FUZZ_CHECK(removed == std::max<qsizetype>(0, before.size() - keep));
    FUZZ_CHECK(safety::backups(dir, &rx) == before.mid(removed));
    QSet<QString> gone = present - filesIn(dir);
    FUZZ_CHECK(gone.size() == removed);
    for (const QString& g : gone) FUZZ_CHECK(before.indexOf(dir + u'/' + g) < removed);
}

void trafficLogs(fuzz::Input& in)
{
    const QString dir = folderFor("Logs");
    const QDate today = QDate(2026, 6, 15).addDays(in.byte() - 128);
    const int keepDays = in.byte() % 40;
    const QDate oldest = today.addDays(-keepDays);
    QSet<QString> expectGone;
    for (int n = in.byte() % 8; n > 0; --n) {
        if (in.byte() & 1) {
            touch(dir, strayName(in));
            continue;
        }
        const int back = int(in.byte()) - 64;
        const QDate day = (in.byte() & 1) ? today.addDays(-back) : QDate(1 + in.byte() * 39, 1 + in.byte() % 12, 1 + in.byte() % 28);
        const int part = in.byte() % 4;
        const QString name = TrafficLogFile::fileName(day, part);
        touch(dir, name);
        if (day < oldest) expectGone.insert(name);
    }
    // Every name that has the form and an old real date goes, strays included.
    static const std::regex form(R"(^vx5x-([0-9]{4})-([0-9]{2})-([0-9]{2})(\.[0-9]+)?\.log$)");
    const QSet<QString> present = filesIn(dir);
    for (const QString& f : present) {
        std::smatch m;
        const std::string s = f.toStdString();
        if (!std::regex_match(s, m, form)) continue;
        const QDate d(std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]));
        if (d.isValid() && d < oldest) expectGone.insert(f);
    }
    TrafficLogFile::prune(dir, today, keepDays);
    FUZZ_CHECK(present - filesIn(dir) == expectGone);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureCoreApp();
    fuzz::Input in(data, size);
    if (in.byte() & 1)
        trafficLogs(in);
    else
        safetyBackups(in);
    return 0;
}
