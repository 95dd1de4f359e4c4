// vx5x over a bus of three controllers (two types, two baud rates) on vx5x-sim: a
// backup of every unit with one of them silent, the manifest's checks before a
// restore, and a simulated controller made from a backup.
#include "cli/CliRun.h"
#include "params/Manifest.h"
#include "params/ParFormats.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <memory>

using namespace vx;

namespace {

// Units 1 (VX50) and 2 (VX51) at 115200 baud, unit 4 (VX50) at 57600; all 8E1. Fast
// rates keep the whole-set transfers short.
const QStringList Bus = {"--unit", "1:VX50:115200:8E1", "--unit", "2:VX51:115200:8E1", "--unit", "4:VX50:57600:8E1"};

QStringList at(const QString& pty, int unit, int baud, const QStringList& rest)
{
    return QStringList{"--port", pty, "--lang", "1", "--fast", "--baud", QString::number(baud), "--parity", "E",
                       "--unit", QString::number(unit)}
           + rest;
}

} // namespace

class TestFleetCli : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<SimProcess> m_restoreBus;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void backupAllGoesOnPastASilentUnit()
    {
        SimProcess sim;
        // Unit 4 answers the search, then falls silent when its values are read.
        QVERIFY(sim.start(Bus + QStringList{"--fault", "no-reply:cmd=rp,unit=4"}));
        const QString home = path("home-all");
        const QString out = path("all");
        const CliResult r = runCli(at(sim.pty, 0, 115200, {"--json", "backup", "--all", out, "--units", "0-5", "--bauds", "57600,115200"}),
                                   home);
        QCOMPARE(r.code, 4);
        const QJsonObject summary = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(summary.value("done").toInt(), 2);
        QCOMPARE(summary.value("failed").toInt(), 1);
        const QJsonArray rows = summary.value("units").toArray();
        QCOMPARE(rows.size(), 3);
        for (const QJsonValue& row : rows) {
            const QJsonObject o = row.toObject();
            QCOMPARE(o.value("ok").toBool(), o.value("unit").toInt() != 4);
            if (o.value("unit").toInt() == 4)
                QCOMPARE(o.value("reason").toString(), QStringLiteral("no reply to rp 0"));
        }

        const QString day = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
        const QStringList names = QDir(out).entryList({"*.bak"}, QDir::Files);
        QCOMPARE(names, (QStringList{"VX50_SN51017_u1_" + day + ".bak", "VX51_SN51034_u2_" + day + ".bak"}));
        for (const QString& name : names) {
            const QString bak = QDir(out).filePath(name);
            const manifest::Checked c = manifest::check(bak, readAll(bak));
            QCOMPARE(c.state, manifest::State::Matches);
            QCOMPARE(c.manifest.kind, QStringLiteral("all-units"));
            QCOMPARE(c.manifest.line, QStringLiteral("115200 8E1"));
            QCOMPARE(c.manifest.port, sim.pty);
        }
        // The search found all three, each with its own identification and line.
        const QJsonArray units =
            QJsonDocument::fromJson(readAll(home + "/vx5x-tool/units.json")).object().value("units").toArray();
        QCOMPARE(units.size(), 3);
        const QStringList want[] = {{"1", "VX50 V2.04", "SN 51017", "115200 8E1"},
                                    {"2", "VX51 V2.04", "SN 51034", "115200 8E1"},
                                    {"4", "VX50 V2.04", "SN 51068", "57600 8E1"}};
        for (int i = 0; i < 3; ++i) {
            const QJsonObject u = units[i].toObject();
            QCOMPARE((QStringList{QString::number(u.value("unit").toInt()), u.value("rt").toString(),
                                  u.value("rx").toString(), u.value("line").toString()}),
                     want[i]);
            QCOMPARE(u.value("rh").toString(), QStringLiteral("HW %1-3 rev C").arg(want[i][1].left(4)));
        }
    }

    void restoreChecksTheManifest_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("own backup") << "own" << QStringList{} << 0 << "";
        QTest::newRow("a byte changed") << "changed" << QStringList{"--force"} << 2 << "was changed or damaged";
        QTest::newRow("another type") << "other" << QStringList{} << 1 << "Backup: VX51, rx \"SN 51034\"";
        QTest::newRow("another type, forced") << "other" << QStringList{"--force"} << 0 << "another controller";
        QTest::newRow("no manifest") << "bare" << QStringList{} << 0 << "has no manifest";
    }
    void restoreChecksTheManifest()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, options);
        QFETCH(int, code);
        QFETCH(QString, message);
        // One bus for every row, and backups of unit 1 (VX50) and unit 2 (VX51) made
        // on it once; then variations of them.
        if (!m_restoreBus) {
            m_restoreBus = std::make_unique<SimProcess>();
            QVERIFY(m_restoreBus->start(Bus));
            const QString own = path("own.bak"), other = path("other.bak");
            QCOMPARE(runCli(at(m_restoreBus->pty, 1, 115200, {"backup", own}), path("home-restore")).code, 0);
            QCOMPARE(runCli(at(m_restoreBus->pty, 2, 115200, {"backup", other}), path("home-restore")).code, 0);
            QByteArray bytes = readAll(own);
            bytes[8 + 4 * 100] = char(bytes[8 + 4 * 100] + 1);
            QVERIFY(saveAtomically(path("changed.bak"), bytes));
            QVERIFY(QFile::copy(manifest::pathFor(own), manifest::pathFor(path("changed.bak"))));
            QVERIFY(QFile::copy(other, path("bare.bak")));
        }
        SimProcess& sim = *m_restoreBus;
        const qsizetype before = sim.log().count("> wp ");
        const CliResult r = runCli(at(sim.pty, 1, 115200, QStringList{"restore", "--no-verify", "--no-safety"} + options + QStringList{path(file + ".bak")}),
                                   path("home-restore"));
        QVERIFY2(r.code == code, r.err.constData());
        QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
        // After a refusal nothing is written.
        QCOMPARE(sim.log().count("> wp ") > before, code == 0);
    }

    void fromBackupServesItsValues_data()
    {
        QTest::addColumn<bool>("withManifest");
        QTest::newRow("with manifest") << true;
        QTest::newRow("without") << false;
    }
    void fromBackupServesItsValues()
    {
        QFETCH(bool, withManifest);
        // Values of every size, and the unit's own settings in parameters 0 to 4:
        // unit 3, 115200 baud (5), even parity (1), one stop bit, 8 data bits.
        TParWaarden par;
        TSollWaarden soll;
        for (int n = 5; n <= 511; ++n)
            par[n] = (n % 5 - 2) * (n * 7919 % 1000003);
        par[0] = 3, par[1] = 5, par[2] = 1, par[3] = 0, par[4] = 1;
        for (int n = 1; n <= 80; ++n)
            soll[n] = n * 100003 - 4000000;
        const QByteArray bytes = files::backupFileBytes(par, soll);
        const QString file = path(withManifest ? "customer.bak" : "customer-bare.bak");
        manifest::Manifest m = manifest::describe(bytes, QLatin1String(manifest::KindManual));
        m.rt = QStringLiteral("VX51 V3.11");
        m.rh = QStringLiteral("HW VX51-4 rev A");
        m.rx = QStringLiteral("SN 70001 \"line 2\"");
        m.unit = 3;
        m.line = QStringLiteral("115200 8E1");
        QVERIFY(withManifest ? manifest::saveBackup(file, bytes, m) : saveAtomically(file, bytes));

        SimProcess sim;
        QVERIFY(sim.start({"--from-backup", file}));
        const QString home = path("home-from");
        const CliResult info = runCli(at(sim.pty, 3, 115200, {"--json", "info"}), home);
        QVERIFY2(info.code == 0, info.err.constData());
        const QJsonObject id = QJsonDocument::fromJson(info.out).object();
        if (withManifest) {
            QCOMPARE(id.value("rt").toString(), m.rt);
            QCOMPARE(id.value("rh").toString(), m.rh);
            QCOMPARE(id.value("rx").toString(), m.rx);
        }
        const QString copy = path("copy.bak");
        const CliResult r = runCli(at(sim.pty, 3, 115200, {"backup", copy}), home);
        QVERIFY2(r.code == 0, r.err.constData());
        QCOMPARE(readAll(copy), bytes);
    }
};

QTEST_GUILESS_MAIN(TestFleetCli)
#include "tst_fleet_cli.moc"
