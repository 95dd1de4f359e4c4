// vx5x whole-set transfers end to end over a pseudo-terminal: read, write and read
// again give the same files; a backup is the windows' backup of the same controller;
// diff finds exactly the parameter one set changed; restore keeps a safety backup
// and reads back what it wrote. Replies end at their line end (--fast): the pause
// rule's whole set is tst_transfer_fast's.
#include "CliRun.h"

#include "comm/SXComm.h"
#include "core/AppState.h"
#include "device/ControllerLine.h"
#include "params/LeesParSoll.h"
#include "params/ParFormats.h"
#include "params/ParameterDefs.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace vx;

namespace {

QStringList at38400(const QString& pty, const QStringList& rest)
{
    return onPty(pty, 38400, QStringList{"--quiet", "--fast"} + rest);
}

const QStringList Controller = {"--unit", "0:VX50:38400:8O1"};

} // namespace

class TestCliTransfer : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(loadDefinitions());
    }

    void readWriteReadGivesTheSameFiles()
    {
        SimProcess sim;
        QVERIFY(sim.start(Controller));
        CliResult r = runCli(at38400(sim.pty, {"read", "--params", path("a.app"), "--setpoints", path("a.aps")}), dir.path());
        QVERIFY2(r.code == 0, r.err.constData());
        for (const char* file : {"a.app", "a.aps"}) {
            r = runCli(at38400(sim.pty, {"write", path(file)}), dir.path());
            QVERIFY2(r.code == 0, r.err.constData());
        }
        r = runCli(at38400(sim.pty, {"read", "--params", path("b.app"), "--setpoints", path("b.aps")}), dir.path());
        QVERIFY2(r.code == 0, r.err.constData());
        QCOMPARE(readAll(path("b.app")), readAll(path("a.app")));
        QCOMPARE(readAll(path("b.aps")), readAll(path("a.aps")));
        QVERIFY(sim.log().contains("bp"));

        // One set, and diff lists exactly that parameter.
        r = runCli(at38400(sim.pty, {"set", "cam scan time=300"}), dir.path());
        QVERIFY2(r.code == 0, r.err.constData());
        r = runCli(at38400(sim.pty, {"diff", "device", path("a.app")}), dir.path());
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QByteArray("P011\tCam scan time (µs)\t300\t250\n"));
    }

    void backupIsTheWindowsBackup()
    {
        SimProcess sim;
        QVERIFY(sim.start(Controller));
        const CliResult r = runCli(at38400(sim.pty, {"backup", path("cli.bak")}), dir.path());
        QVERIFY2(r.code == 0, r.err.constData());

        // The windows' backup: the read window in mode 3, its buffers into the file.
        setPortDevicePath(1, sim.pty.toStdString());
        TSXComm port;
        port.setBaudrate(TBaudrate::br38400);
        port.setFrameParitybit(TParityBit::Odd);
        app().SXComm1 = &port;
        port.Open();
        setFastReplies(true, &port);
        QByteArray windows;
        {
            TFormLeesParSoll lees;
            QEventLoop loop;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
                if (lees.isDone() || lees.failed())
                    loop.quit();
            });
            poll.start(100);
            lees.start(3);
            QTimer::singleShot(200000, &loop, &QEventLoop::quit);
            loop.exec();
            QVERIFY(lees.isDone());
            windows = files::backupFileBytes(lees.ParBuffer, lees.SollwBuffer);
            lees.hide();
        }
        port.Close();
        app().SXComm1 = nullptr;
        QCOMPARE(readAll(path("cli.bak")).size(), files::BackupSize);
        QCOMPARE(readAll(path("cli.bak")), windows);
    }

    void restoreKeepsASafetyBackupAndVerifies()
    {
        SimProcess sim;
        QVERIFY(sim.start(Controller));
        TParWaarden par;
        TSollWaarden soll;
        for (int n = 0; n <= 511; ++n)
            par[n] = parDefault(n);
        for (int n = 1; n <= 80; ++n)
            soll[n] = n * 10;
        QVERIFY(files::saveAtomically(path("defaults.bak"), files::backupFileBytes(par, soll)));
        CliResult r = runCli(at38400(sim.pty, {"restore", "--all", path("defaults.bak")}), dir.path());
        QVERIFY2(r.code == 0, r.err.constData());
        const QFileInfoList safety = QDir(dir.filePath("vx5x-tool/Backups")).entryInfoList({"*.bak"}, QDir::Files);
        QCOMPARE(safety.size(), 1);
        QCOMPARE(safety.first().size(), qint64(files::BackupSize));
        // With its manifest beside it.
        QVERIFY(QFileInfo::exists(safety.first().filePath() + ".json"));
        // Controller type, "rx" text, unit and time, as the windows name them.
        QVERIFY2(QRegularExpression(R"(^VX50_SN_\d+_u0_\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d\.bak$)")
                     .match(safety.first().fileName())
                     .hasMatch(),
                 qPrintable(safety.first().fileName()));
        QByteArray log = sim.log();
        QCOMPARE(log.count("> wp "), 512);
        QCOMPARE(log.count("> ws "), 80);
        QCOMPARE(log.count("> rp "), 2 * 512);
        // Without --all only what differs from the safety backup goes out: two
        // setpoints, "bp" all the same, and everything is read back.
        soll[3] = 33;
        soll[70] = 77;
        QVERIFY(files::saveAtomically(path("two.bak"), files::backupFileBytes(par, soll)));
        r = runCli(onPty(sim.pty, 38400, {"--fast", "restore", path("two.bak")}), dir.path());
        QVERIFY2(r.code == 0, r.err.constData());
        QVERIFY2(r.err.contains("2 differing values written, 590 equal ones skipped"), r.err.constData());
        log = sim.log();
        QCOMPARE(log.count("> wp "), 512);
        QCOMPARE(log.count("> ws "), 82);
        QVERIFY(log.contains("> ws 3 33") && log.contains("> ws 70 77"));
        QCOMPARE(log.count("> bp"), 2);
        QCOMPARE(log.count("> rs "), 4 * 80);
    }

    // "bp" never answers: every value went, so they are read back all the same, and
    // the end says both how far the write came and what the read-back found.
    void restoreReportsAnUnconfirmedBp()
    {
        SimProcess sim;
        QVERIFY(sim.start(Controller + QStringList{"--fault", "no-reply:cmd=bp"}));
        TParWaarden par;
        TSollWaarden soll;
        for (int n = 0; n <= 511; ++n)
            par[n] = parDefault(n);
        for (int n = 1; n <= 80; ++n)
            soll[n] = n * 7;
        QVERIFY(files::saveAtomically(path("bp.bak"), files::backupFileBytes(par, soll)));
        const CliResult r = runCli(onPty(sim.pty, 38400, {"--fast", "restore", "--no-safety", path("bp.bak")}), dir.path());
        QCOMPARE(r.code, 4);
        QVERIFY2(r.err.contains("no reply from unit 0") && r.err.contains("(bp)"), r.err.constData());
        QVERIFY2(r.err.contains("592 of 592 written; 'bp' not confirmed\n"), r.err.constData());
        QVERIFY2(r.err.contains("Verified: 592 of 592"), r.err.constData());
        const QByteArray log = sim.log();
        QCOMPARE(log.count("> bp"), 3);
        QCOMPARE(log.count("> rs "), 80);
    }

    // Only the one value that differs is written; when it is refused, nothing was
    // and the controller holds its old set, not a mix.
    void restoreRefusedAtTheOnlyDifference()
    {
        SimProcess sim;
        QVERIFY(sim.start(Controller + QStringList{"--fault", "er7:p=100"}));
        QCOMPARE(runCli(at38400(sim.pty, {"backup", path("now.bak")}), dir.path()).code, 0);
        QFile now(path("now.bak"));
        QVERIFY(now.open(QIODevice::ReadOnly));
        QByteArray bytes = now.readAll();
        bytes[8 + 100 * 4] = char(bytes[8 + 100 * 4] + 1); // parameter 100, lowest byte
        QVERIFY(files::saveAtomically(path("one.bak"), bytes));
        const CliResult r = runCli(at38400(sim.pty, {"restore", "--force", path("one.bak")}), dir.path());
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("stopped at P100: 0 of 1 values written; P100 refused, the controller still holds its old values"),
                 r.err.constData());
        QCOMPARE(sim.log().count("> wp "), 1);
    }
};

QTEST_MAIN(TestCliTransfer)
#include "tst_cli_transfer.moc"
