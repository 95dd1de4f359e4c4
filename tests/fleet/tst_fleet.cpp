// The headless parts of working on every unit: the manifest's checksum, the units
// kept between runs, the history of one controller, and the overview's poll pace.
#include "fleet/FleetPlans.h"
#include "fleet/History.h"
#include "fleet/Units.h"
#include "params/Manifest.h"
#include "params/ParFormats.h"
#include "params/SafetyBackup.h"
#include "plans/BlockingRunner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace vx;

namespace {

QByteArray backupOf(int seed)
{
    TParWaarden par;
    TSollWaarden soll;
    for (int n = 0; n <= 511; ++n)
        par[n] = n * seed - 7;
    for (int n = 1; n <= 80; ++n)
        soll[n] = n + seed;
    return files::backupFileBytes(par, soll);
}

// A backup with its manifest in dir.
QString writeBackup(const QString& dir, const QString& name, const QByteArray& bytes, const QString& rx,
                    const char* kind, const QDateTime& when)
{
    const QString path = QDir(dir).filePath(name);
    manifest::Manifest m = manifest::describe(bytes, QLatin1String(kind), when);
    m.rt = QStringLiteral("VX51 V2.04");
    m.rx = rx;
    m.unit = 2;
    return manifest::saveBackup(path, bytes, m) ? path : QString();
}

} // namespace

class TestFleet : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void manifestCatchesAChangedByte_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<bool>("changed");
        QTest::newRow("as saved") << -1 << false;
        QTest::newRow("first mark") << 0 << true;
        QTest::newRow("a parameter") << 8 + 4 * 123 + 2 << true;
        QTest::newRow("a setpoint") << 8 + 4 * 2001 + 4 * 40 << true;
        QTest::newRow("unused slot") << 8 + 4 * 1500 << true;
        QTest::newRow("last byte") << files::BackupSize - 1 << true;
    }
    void manifestCatchesAChangedByte()
    {
        QFETCH(int, offset);
        QFETCH(bool, changed);
        QByteArray bytes = backupOf(3);
        const QString path = writeBackup(m_dir.path(), QStringLiteral("one.bak"), bytes, QStringLiteral("SN 1"),
                                         manifest::KindManual, QDateTime::currentDateTime());
        QVERIFY(!path.isEmpty());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), bytes); // the backup's own bytes, untouched by the manifest
        if (offset >= 0)
            bytes[offset] = char(bytes[offset] ^ 0x01);
        const manifest::Checked c = manifest::check(path, bytes);
        QCOMPARE(c.state, changed ? manifest::State::Changed : manifest::State::Matches);
        QCOMPARE(c.manifest.rx, QStringLiteral("SN 1"));
        QCOMPARE(c.manifest.values, ParCount + SollCount);
        QCOMPARE(c.manifest.kind, QStringLiteral("manual"));
    }

    void manifestMissingOrDamaged()
    {
        const QByteArray bytes = backupOf(4);
        const QString path = m_dir.filePath(QStringLiteral("bare.bak"));
        QVERIFY(saveAtomically(path, bytes));
        QCOMPARE(manifest::check(path, bytes).state, manifest::State::None);
        QVERIFY(saveAtomically(manifest::pathFor(path), "{\"rt\": \"VX50\""));
        QCOMPARE(manifest::check(path, bytes).state, manifest::State::Unreadable);
    }

    // A safety backup pruned takes its manifest along: none is left describing a file
    // that is gone.
    void pruneTakesTheManifestAlong()
    {
        QTemporaryDir dir;
        TParWaarden par;
        TSollWaarden soll;
        const safety::Identity id{QStringLiteral("VX50"), QStringLiteral("SN 5")};
        const QDateTime t0(QDate(2026, 4, 1), QTime(9, 0));
        for (int k = 0; k < 3; ++k) {
            const safety::Taken t = safety::save(dir.path(), id, 0, par, soll, t0.addSecs(k));
            QVERIFY(t.ok());
            QFile(t.path).setFileTime(t0.addSecs(k), QFileDevice::FileModificationTime);
        }
        QCOMPARE(safety::prune(dir.path(), id.rx, 1), 2);
        const QStringList left = QDir(dir.path()).entryList(QDir::Files);
        QCOMPARE(left.size(), 2);
        QCOMPARE(manifest::pathFor(left[0]), left[1]);
    }

    void anotherControllerIsTypeOrSerial_data()
    {
        QTest::addColumn<QString>("rt");
        QTest::addColumn<QString>("rx");
        QTest::addColumn<bool>("other");
        QTest::newRow("same") << "VX51 V2.04"
                              << "SN 1" << false;
        QTest::newRow("newer firmware") << "VX51 V2.10"
                                        << "SN 1" << false;
        QTest::newRow("other type") << "VX50 V2.04"
                                    << "SN 1" << true;
        QTest::newRow("other serial") << "VX51 V2.04"
                                      << "SN 2" << true;
        QTest::newRow("unknown") << ""
                                 << "" << true;
    }
    void anotherControllerIsTypeOrSerial()
    {
        QFETCH(QString, rt);
        QFETCH(QString, rx);
        QFETCH(bool, other);
        manifest::Manifest m;
        m.rt = QStringLiteral("VX51 V2.04");
        m.rx = QStringLiteral("SN 1");
        QCOMPARE(manifest::otherController(m, rt, rx), other);
    }

    void unitsAreKeptAndMerged()
    {
        const QString data = m_dir.filePath(QStringLiteral("data"));
        plans::Identity id;
        id.type = QStringLiteral("VX50 V2.04");
        id.ident2 = QStringLiteral("HW");
        id.ident3 = QStringLiteral("SN 1");
        fleet::KnownUnit a = fleet::foundUnit(QStringLiteral("COM1"), {1, {TBaudrate::br38400, TParityBit::Even, TStopBit::sb_1}}, id);
        fleet::KnownUnit b = fleet::foundUnit(QStringLiteral("COM1"), {4, {TBaudrate::br57600, TParityBit::None, TStopBit::sb_2}}, id);
        a.seen = b.seen = QDateTime(QDate(2026, 5, 1), QTime(10, 0));
        QVERIFY(fleet::saveUnits(data, {b, a}));
        QCOMPARE(fleet::loadUnits(data), (QList<fleet::KnownUnit>{b, a}));
        QCOMPARE(fleet::lineText(b.line), QStringLiteral("57600 8N2"));
        // A new search of the same unit replaces it; the others stay, in port and unit order.
        fleet::KnownUnit again = a;
        again.rx = QStringLiteral("SN 9");
        const QList<fleet::KnownUnit> m = fleet::merged({b, a}, {again});
        QCOMPARE(m.size(), 2);
        QCOMPARE(m[0].rx, QStringLiteral("SN 9"));
        QCOMPARE(m[1].unit, 4);
        QCOMPARE(fleet::backupName(a.rt, a.rx, 1, QDate(2026, 5, 1)), QStringLiteral("VX50_SN1_u1_2026-05-01.bak"));
    }

    void historyListsOneControllerNewestFirst()
    {
        QTemporaryDir a, b;
        const QDateTime t0(QDate(2026, 3, 1), QTime(8, 0));
        QByteArray v1 = backupOf(1), v2 = backupOf(1), v3 = backupOf(1);
        // Two parameters changed between the first and second, one setpoint after that.
        auto put = [](QByteArray& bytes, int offset, qint32 value) { qToLittleEndian<qint32>(value, bytes.data() + offset); };
        put(v2, 8 + 4 * 12, 500);
        put(v2, 8 + 4 * 13, 501);
        put(v3, 8 + 4 * 12, 500);
        put(v3, 8 + 4 * 13, 501);
        put(v3, 8 + 4 * 2001 + 4 * 4, 77);
        QVERIFY(!writeBackup(a.path(), "old.bak", v1, "SN 1", manifest::KindManual, t0).isEmpty());
        QVERIFY(!writeBackup(b.path(), "mid.bak", v2, "SN 1", manifest::KindAllUnits, t0.addDays(1)).isEmpty());
        QVERIFY(!writeBackup(a.path(), "other.bak", v1, "SN 2", manifest::KindManual, t0.addDays(2)).isEmpty());
        // A safety backup of an older version, without manifest: its name says whose it is.
        safety::Identity id{QStringLiteral("VX51"), QStringLiteral("SN 1")};
        TParWaarden par;
        TSollWaarden soll;
        QCOMPARE(files::parseBackupFile(v3, par, soll), files::BackupError::None);
        const safety::Taken t = safety::save(b.path(), id, 2, par, soll, t0.addDays(3));
        QVERIFY(t.ok());
        QFile::remove(manifest::pathFor(t.path));
        QFile(t.path).setFileTime(t0.addDays(3), QFileDevice::FileModificationTime);

        const QList<fleet::HistoryEntry> h = fleet::history({a.path(), b.path(), a.path()}, QStringLiteral("SN 1"));
        QCOMPARE(h.size(), 3);
        QCOMPARE(QFileInfo(h[0].path).absoluteFilePath(), QFileInfo(t.path).absoluteFilePath());
        QCOMPARE(h[0].kind, QStringLiteral("safety"));
        QVERIFY(!h[0].hasManifest);
        QCOMPARE(QFileInfo(h[1].path).fileName(), QStringLiteral("mid.bak"));
        QCOMPARE(h[1].kind, QStringLiteral("all-units"));
        QCOMPARE(QFileInfo(h[2].path).fileName(), QStringLiteral("old.bak"));
        QCOMPARE(h[0].differs, 1);
        QCOMPARE(h[1].differs, 2);
        QCOMPARE(h[2].differs, -1);
        // The safety backup came after the last real backup: the controller changed since.
        const fleet::BackupDates d = fleet::backupDates(h);
        QCOMPARE(d.lastBackup, t0.addDays(1));
        QVERIFY(d.older());
    }

    // The poll over a bus of three, one of them silent: states as they are, and the
    // line kept free (a request at most every gap).
    void pollKeepsTheLineFree()
    {
        QList<fleet::KnownUnit> units;
        for (int n : {1, 2, 4}) {
            fleet::KnownUnit u;
            u.unit = n;
            u.line.baud = n == 4 ? TBaudrate::br57600 : TBaudrate::br38400;
            units << u;
        }
        fleet::BusPollPlan plan(units, 250);
        double now = 0;
        QList<double> sent;
        QList<plans::LineSettings> lines;
        plans::BlockingLine line;
        line.wait = [&](int ms) { now += ms; };
        line.setLine = [&](const plans::LineSettings& s) {
            lines << s;
            return QString();
        };
        line.reopen = [](const QString&) { return QString(); };
        line.send = [&](const plans::Request& r) {
            sent << now;
            now += 5;
            plans::Exchange x;
            const int unit = r.text.startsWith(QLatin1String("sc")) ? r.text.mid(3).toInt() : -1;
            if (unit == 2)
                x.error.Code = CommTimeout; // unit 2 is silent
            else if (unit >= 0)
                x.reply = r.text.toLatin1() + "\r\n";
            else
                x.reply = "rf 23\r\n";
            return x;
        };
        int taken = 0;
        plan.onState = [&](int) {
            if (++taken == 9)
                plan.requestStop();
        };
        plans::runBlocking(plan, line);
        QCOMPARE(plan.states()[0].live, true);
        QCOMPARE(plan.states()[0].error, 23);
        QCOMPARE(plan.states()[1].live, false);
        QCOMPARE(plan.states()[2].live, true);
        QVERIFY(sent.size() >= 12);
        for (qsizetype i = 1; i < sent.size(); ++i)
            QVERIFY2(sent[i] - sent[i - 1] >= 250, qPrintable(QString::number(sent[i] - sent[i - 1])));
        const double perSecond = 1000.0 * double(sent.size() - 1) / (sent.last() - sent.first());
        QVERIFY2(perSecond < 5, qPrintable(QString::number(perSecond)));
        // Line settings change only where the next unit needs others.
        QCOMPARE(lines.size(), 6);
    }
};

QTEST_GUILESS_MAIN(TestFleet)
#include "tst_fleet.moc"
