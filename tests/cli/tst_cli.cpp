// vx5x end to end, the quick cases: exit status of every failure class, golden
// outputs, JSON, and the line behaviour that needs no whole-set transfer.
#include "CliRun.h"

#include "core/AppState.h"
#include "params/ParFormats.h"
#include "params/ParameterDefs.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <csignal>

using namespace vx;

namespace {

const QStringList Sim = {"--simulate", "--lang", "1", "--baud", "9600", "--parity", "O"};

QByteArray golden(const char* name)
{
    return readAll(QStringLiteral(VX_GOLDEN_DIR "/") + QLatin1String(name));
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(loadDefinitions());
        TParWaarden defaults;
        for (int n = 0; n <= 511; ++n)
            defaults[n] = parDefault(n);
        QVERIFY(files::saveAtomically(path("defaults.app"), files::parameterFileText(0, defaults)));
        QByteArray broken = files::parameterFileText(0, defaults);
        broken.replace("P001 ", "P001x");
        QVERIFY(files::saveAtomically(path("broken.app"), broken));
        QVERIFY(files::saveAtomically(path("short.bak"), QByteArray(100, 'x')));
        const QByteArray backup = files::backupFileBytes(defaults, {});
        QVERIFY(files::saveAtomically(path("defaults.bak"), backup));
        QVERIFY(files::saveAtomically(path("long1.bak"), backup + 'x'));
        QVERIFY(files::saveAtomically(path("long5000.bak"), backup + QByteArray(5000, '\0')));
    }

    void exitStatusOfEachFailureClass_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown command") << QStringList{"--lang", "1", "frobnicate"} << 2 << "unknown command: frobnicate";
        QTest::newRow("unit out of range") << QStringList{"--lang", "1", "--unit", "40", "info"} << 2 << "--unit 40";
        QTest::newRow("stray option") << Sim + QStringList{"info", "--frob"} << 2 << "--frob";
        // A command's own options: a flag takes no value, a value is given once, and the
        // first fault in the order given is the one named.
        QTest::newRow("flag with a value") << Sim + QStringList{"get", "--raw=1", "1"} << 2 << "value: --raw=1 (see";
        QTest::newRow("value given twice") << QStringList{"--lang", "1", "read", "--params", "a", "--params=b"} << 2
                                           << "value: --params=b (see";
        QTest::newRow("value missing") << QStringList{"--lang", "1", "read", "--setpoints"} << 2 << "missing argument: read";
        // Another option is no file name: nothing is saved under "--params".
        QTest::newRow("option as a value") << QStringList{"--lang", "1", "read", "--setpoints", "--params"} << 2
                                           << "missing argument: read";
        QTest::newRow("bad name before stray option") << Sim + QStringList{"set", "nosuch=1", "--frob"} << 2
                                                      << "unknown parameter \"nosuch\"";
        QTest::newRow("stray option before bad name") << Sim + QStringList{"set", "--frob", "nosuch=1"} << 2
                                                      << "value: --frob (see";
        // Global options stand anywhere and are read in order: the first bad value or a
        // value missing at the end is named, and hides a --version after it.
        QTest::newRow("value missing at the end") << QStringList{"--lang", "1", "info", "--unit"} << 2
                                                  << "bad value: --unit (see";
        QTest::newRow("bad value before version") << QStringList{"--lang=1", "--unit=40", "--version"} << 2 << "--unit 40";
        QTest::newRow("version before bad value") << QStringList{"--version", "--unit", "40"} << 0 << "";
        QTest::newRow("bad value after the command") << QStringList{"info", "--lang", "1", "--parity", "X"} << 2
                                                     << "--parity X";
        QTest::newRow("missing port") << QStringList{"--lang", "1", "--port", "/dev/ttyVX-none", "info"} << 3
                                      << "cannot open port /dev/ttyVX-none";
        QTest::newRow("silent unit") << Sim + QStringList{"--unit", "9", "info"} << 4 << "no reply from unit 9";
        QTest::newRow("unknown name") << Sim + QStringList{"get", "baud rat3"} << 2 << "did you mean \"Baud rate\"";
        QTest::newRow("out of range") << Sim + QStringList{"set", "cam scan time=5000"} << 2 << "5000 is outside 100 .. 2000";
        QTest::newRow("not an option") << Sim + QStringList{"set", "baud rate=fast"} << 2 << "\"fast\" is not a value";
        QTest::newRow("bad file line") << Sim + QStringList{"write", "@broken.app"} << 2 << "line 4:";
        QTest::newRow("short backup") << Sim + QStringList{"restore", "@short.bak"} << 2 << "100 bytes";
        // A backup is exactly 16020 bytes; a longer file is refused before the line is touched.
        QTest::newRow("backup a byte long") << Sim + QStringList{"restore", "@long1.bak"} << 2
                                            << "16021 bytes, a backup file has 16020";
        QTest::newRow("backup 5000 bytes long") << Sim + QStringList{"restore", "@long5000.bak"} << 2
                                                << "21020 bytes, a backup file has 16020";
        // Only the port's rates; another would leave the port at its old one.
        const QString rates = "(rates: 1200, 2400, 4800, 9600, 19200, 28800, 38400, 57600, 115200)";
        for (const char* baud : {"12345", "0", "-9600", "9600x"})
            QTest::newRow(qPrintable(QString("baud %1").arg(baud)))
                << QStringList{"--lang", "1", "--simulate", "--baud", baud, "info"} << 2
                << QString("--baud %1 %2").arg(baud, rates);
        QTest::newRow("baud 28800") << QStringList{"--lang", "1", "--simulate", "--baud", "28800", "--unit", "9", "info"}
                                    << 4 << "no reply from unit 9";
        QTest::newRow("defaults equal") << QStringList{"--lang", "1", "diff", "defaults", "@defaults.app"} << 0 << "";
        QTest::newRow("help set") << QStringList{"help", "set"} << 0 << "";
        QTest::newRow("Dutch message") << QStringList{"--lang", "0", "frobnicate"} << 2 << "onbekend commando";
    }
    void exitStatusOfEachFailureClass()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        for (QString& a : args)
            if (a.startsWith(u'@'))
                a = dir.filePath(a.mid(1));
        const CliResult r = runCli(args, dir.path());
        QVERIFY2(r.code == code, r.err.constData());
        QVERIFY2(QString::fromUtf8(r.err).contains(message), r.err.constData());
    }

    void outputsMatchTheGoldenFiles()
    {
        const CliResult help = runCli({"--help"}, dir.path());
        QCOMPARE(help.code, 0);
        QCOMPARE(help.out, golden("help.txt"));
        const CliResult info = runCli(Sim + QStringList{"info"}, dir.path());
        QCOMPARE(info.code, 0);
        QCOMPARE(info.out, golden("info.txt"));
        const CliResult get = runCli(Sim + QStringList{"get", "p1", "Parity", "cam_scan", "203", "12", "software limit max"}, dir.path());
        QCOMPARE(get.code, 0);
        QCOMPARE(get.out, golden("get.txt"));
    }

    void jsonOutputParses()
    {
        const QList<QStringList> runs = {Sim + QStringList{"--json", "info"}, Sim + QStringList{"--json", "get", "1", "12"},
                                         QStringList{"--json", "diff", "defaults", path("defaults.app")},
                                         QStringList{"--json", "ports"}};
        for (const QStringList& args : runs) {
            const CliResult r = runCli(args, dir.path());
            QCOMPARE(r.code, 0);
            QJsonParseError e;
            QJsonDocument::fromJson(r.out, &e);
            QVERIFY2(e.error == QJsonParseError::NoError, r.out.constData());
        }
        const CliResult get = runCli(Sim + QStringList{"--json", "get", "1"}, dir.path());
        const QJsonObject first = QJsonDocument::fromJson(get.out).array().first().toObject();
        QCOMPARE(first.value("number").toInt(), 1);
        QCOMPARE(first.value("value").toString(), QStringLiteral("9600")); // the unit runs at 9600 and says so
    }

    // Over the real serial code on a pseudo-terminal.
    void refusalsAndChecksOnTheLine()
    {
        SimProcess sim;
        QVERIFY(sim.start({"--fault", "er7:p=12"}));
        // Out of range: refused before a single request.
        CliResult r = runCli(onPty(sim.pty, 9600, {"set", "11=5000"}), dir.path());
        QCOMPARE(r.code, 2);
        QTest::qWait(200);
        QVERIFY2(sim.log().isEmpty(), sim.log().constData());
        // "er 7" names the parameter and is a refusal.
        r = runCli(onPty(sim.pty, 9600, {"set", "12=20"}), dir.path());
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("refused P012"), r.err.constData());
        QVERIFY(!sim.log().contains("bp"));
        // A whole write stops at the refused value and says how far it came.
        r = runCli(onPty(sim.pty, 9600, {"write", path("defaults.app")}), dir.path());
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("refused P012") && r.err.contains("12 of 512 values written"), r.err.constData());
    }

    // The select's echo and every identification reply are checked; the first bad
    // one ends the run, and nothing more is sent.
    void selectAndIdentityChecked_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("notSent");
        QTest::newRow("wrong select echo") << "wrong-echo:cmd=sc"
                                           << "unusable reply to sc 0" << QByteArray("rt");
        QTest::newRow("garbled rh") << "garbage:cmd=rh"
                                    << "unusable reply to rh" << QByteArray("rx");
        QTest::newRow("silent rt") << "no-reply:cmd=rt"
                                   << "no reply from unit 0" << QByteArray("rh");
    }
    void selectAndIdentityChecked()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        QFETCH(QByteArray, notSent);
        SimProcess sim;
        QVERIFY(sim.start({"--fault", fault}));
        const CliResult r = runCli(onPty(sim.pty, 9600, {"--log", path("ident.log"), "info"}), dir.path());
        QCOMPARE(r.code, 4);
        QVERIFY2(QString::fromUtf8(r.err).contains(message), r.err.constData());
        QVERIFY(!readAll(path("ident.log")).contains("> " + notSent));
        QFile::remove(path("ident.log"));
    }

    void searchFindsBothUnitsOfTheDefaultBus()
    {
        SimProcess sim;
        QVERIFY(sim.start({}));
        const CliResult r = runCli({"--port", sim.pty, "--json", "--parity", "O", "search", "--units", "0-5", "--bauds",
                                    "9600,38400"},
                                   dir.path());
        QCOMPARE(r.code, 0);
        QList<int> units;
        for (const QByteArray& line : r.out.split('\n')) {
            if (line.isEmpty())
                continue;
            const QJsonObject hit = QJsonDocument::fromJson(line).object();
            units << hit.value("unit").toInt();
            QVERIFY(hit.value("rt").toString().startsWith("VX5"));
        }
        QCOMPARE(units, (QList<int>{0, 5}));
    }

    // Replies followed by another line trouble fast replies; the fall back to the pause
    // is said once, since the job goes on many times slower.
    void fastRepliesFallBackWithANote()
    {
        SimProcess sim;
        QVERIFY(sim.start({"--fault", "extra-line:cmd=rp"}));
        const CliResult r = runCli(onPty(sim.pty, 9600, {"--fast", "get", "--raw", "1", "2", "3", "4", "5", "6"}),
                                   dir.path());
        QVERIFY2(r.err.count("Fast replies switched off") == 1, r.err.constData());
    }

    // Each simulated run keeps its safety backups in a folder of its own, gone after
    // the run: a try-out never sees an earlier run's files, nor leaves any behind.
    void simulatedRunsStartInAFreshFolder()
    {
        QTemporaryDir tmp;
        const QByteArray oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", tmp.path().toLocal8Bit());
        const auto putBack = qScopeGuard([&oldTmp] {
            if (oldTmp.isEmpty()) qunsetenv("TMPDIR");
            else qputenv("TMPDIR", oldTmp);
        });
        QStringList folders;
        for (int run = 0; run < 2; ++run) {
            const CliResult r = runCli(Sim + QStringList{"--unit", "0", "--fast", "restore", path("defaults.bak")}, dir.path());
            QVERIFY2(r.code == 0, r.err.constData());
            const QRegularExpressionMatch m = QRegularExpression("safety backup: (\\S+)").match(QString::fromUtf8(r.err));
            QVERIFY2(m.hasMatch(), r.err.constData());
            const QString folder = QFileInfo(m.captured(1)).absolutePath();
            QVERIFY2(folder.startsWith(tmp.path() + "/vx5x-sim-"), qPrintable(folder));
            QVERIFY2(!QFileInfo::exists(m.captured(1)), "the run's folder is removed at its end");
            folders << folder;
        }
        QVERIFY(folders[0] != folders[1]);
        QVERIFY(QDir(tmp.path()).isEmpty());
    }

    void monitorGivesRowsWithRisingTimestamps()
    {
        SimProcess sim;
        QVERIFY(sim.start({}));
        const CliResult r = runCli(onPty(sim.pty, 9600, {"monitor", "--count", "20", "--rate", "50", "--values", "r0,r1"}),
                                   dir.path());
        QCOMPARE(r.code, 0);
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 21);
        QCOMPARE(lines[0], QByteArray("time,r0,r1"));
        QDateTime last;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QList<QByteArray> cells = lines[i].split(',');
            QCOMPARE(cells.size(), 3);
            const QDateTime t = QDateTime::fromString(QString::fromLatin1(cells[0]), Qt::ISODateWithMs);
            QVERIFY(t.isValid() && (i == 1 || t > last));
            last = t;
        }
    }

    // A port in use is refused; Ctrl-C ends the monitor cleanly.
    void busyPortAndInterruptedMonitor()
    {
        SimProcess sim;
        QVERIFY(sim.start({}));
        QProcess monitor;
        monitor.setProcessEnvironment(cliEnvironment(dir.path()));
        monitor.start(binPath("vx5x"), onPty(sim.pty, 9600, {"monitor"}));
        QVERIFY(monitor.waitForReadyRead(10000));
        const CliResult busy = runCli(onPty(sim.pty, 9600, {"info"}), dir.path());
        QCOMPARE(busy.code, 3);
        QVERIFY2(busy.err.contains("cannot open port"), busy.err.constData());
        ::kill(pid_t(monitor.processId()), SIGINT);
        QVERIFY(monitor.waitForFinished(10000));
        QCOMPARE(monitor.exitCode(), 0);
    }

    // Ctrl-C during a read leaves an existing file as it was, and no temporary file.
    void interruptedReadWritesNoFile()
    {
        const QString target = path("keep.app");
        QVERIFY(files::saveAtomically(target, "keep"));
        const int before = int(QDir(dir.path()).count());
        QProcess read;
        read.setProcessEnvironment(cliEnvironment(dir.path()));
        read.start(binPath("vx5x"), Sim + QStringList{"--log", path("read.log"), "read", "--params", target});
        QVERIFY(read.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(readAll(path("read.log")).count('\n') > 20, 20000);
        ::kill(pid_t(read.processId()), SIGINT);
        QVERIFY(read.waitForFinished(10000));
        QCOMPARE(read.exitCode(), 130);
        QCOMPARE(readAll(target), QByteArray("keep"));
        QCOMPARE(int(QDir(dir.path()).count()), before + 1); // the log only
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
