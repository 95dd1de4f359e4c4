// vx5x against a real ser2net in front of vx5x-sim's pseudo-terminal, raw and over
// RFC 2217, and against vx5x-sim's own TCP serving: the same bytes as the direct
// line, the line settings really reaching the pseudo-terminal, and a lost line
// when the device server goes away.
#include "cli/CliRun.h"
#include "support/Loopback.h"
#include "support/Ser2Net.h"
#include "support/SimProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Run = CliResult;

using vx::test::accepts;
using vx::test::Ser2Net;
using vx::test::SimProcess;

} // namespace

class TstSer2net : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

    Run vx5x(const QString& port, const QStringList& rest, bool fast, int timeoutMs = 120000)
    {
        QStringList args{"--port", port, "--lang", "1", "--baud", "38400", "--parity", "E", "--unit", "0"};
        if (fast)
            args << "--fast";
        return runCli(args + rest, dir.path(), timeoutMs);
    }

    // ser2net on 127.0.0.1 in front of pty; its line settings as given.
    static bool startSer2net(Ser2Net& s, const QString& pty, bool rfc2217, int& port, const char* settings = "38400e81")
    {
        Ser2Net::Options o;
        o.rfc2217 = rfc2217;
        o.settings = QLatin1String(settings);
        const bool ok = s.start(pty, o);
        port = s.port();
        return ok;
    }

private slots:
    void initTestCase()
    {
        if (Ser2Net::program().isEmpty())
            QSKIP("ser2net is not installed (scripts/install-deps.sh installs it)");
        QVERIFY(dir.isValid());
    }

    // Identify, a whole set, a write with "bp", in both reply modes, raw and RFC 2217.
    void sameBytesAsTheDirectLine_data()
    {
        QTest::addColumn<bool>("rfc2217");
        QTest::addColumn<bool>("fast");
        QTest::newRow("rfc2217, fast replies") << true << true;
        QTest::newRow("rfc2217, classic replies") << true << false;
        QTest::newRow("raw, fast replies") << false << true;
        QTest::newRow("raw, classic replies") << false << false;
    }
    void sameBytesAsTheDirectLine()
    {
        QFETCH(bool, rfc2217);
        QFETCH(bool, fast);
        SimProcess sim;
        QVERIFY(sim.start({"--unit", "0:VX50:38400:8E1"}));
        const QString pty = sim.pty;
        Ser2Net server;
        int port = 0;
        QVERIFY(startSer2net(server, pty, rfc2217, port));
        const QString url = QStringLiteral("%1://127.0.0.1:%2").arg(rfc2217 ? "rfc2217" : "tcp").arg(port);

        Run direct = vx5x(pty, {"info"}, fast);
        Run net = vx5x(url, {"info"}, fast);
        QVERIFY2(net.code == 0, net.err.constData());
        QCOMPARE(net.out, direct.out);
        QVERIFY(net.out.contains("VX50"));

        // A whole set: the backup in fast mode, the setpoints at the classic pace.
        const QStringList read = fast ? QStringList{"backup"} : QStringList{"read", "--setpoints"};
        const QString a = path("direct.out"), b = path("net.out");
        direct = vx5x(pty, read + QStringList{a}, fast);
        QVERIFY2(direct.code == 0, direct.err.constData());
        net = vx5x(url, read + QStringList{b}, fast);
        QVERIFY2(net.code == 0, net.err.constData());
        QVERIFY(QFileInfo(b).size() > 0);
        QCOMPARE(QFileInfo(b).size(), QFileInfo(a).size());
        QFile fa(a), fb(b);
        QVERIFY(fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly));
        QCOMPARE(fb.readAll(), fa.readAll());

        net = vx5x(url, {"set", "cam scan time=300"}, fast);
        QVERIFY2(net.code == 0, net.err.constData());
        net = vx5x(pty, {"get", "--raw", "cam scan time"}, fast);
        QVERIFY2(net.out.contains("300"), net.out.constData());
    }

    // The unit answers only at 38400 with even parity and one stop bit, over a
    // pseudo-terminal that ser2net set to 9600 first: the search's settings arrive.
    void searchOverRfc2217FindsTheUnit()
    {
        SimProcess sim;
        QVERIFY(sim.start({"--unit", "3:VX51:38400:8E1"}));
        Ser2Net server;
        int port = 0;
        QVERIFY(startSer2net(server, sim.pty, true, port, "9600n81"));
        const Run r = vx5x(QStringLiteral("rfc2217://127.0.0.1:%1").arg(port),
                           {"--json", "search", "--units", "2-3", "--bauds", "9600,38400", "--parity", "auto"}, true);
        QVERIFY2(r.code == 0, r.err.constData());
        QVERIFY2(r.out.contains("\"unit\":3") && r.out.contains("38400"), r.out.constData());
    }

    // ser2net stopped in the middle of a read: a lost line (exit 3), not a time-out.
    void stoppingTheServerLosesTheLine()
    {
        SimProcess sim;
        QVERIFY(sim.start({"--unit", "0:VX50:38400:8E1"}));
        Ser2Net server;
        int port = 0;
        QVERIFY(startSer2net(server, sim.pty, true, port));
        QProcess p;
        p.setProcessEnvironment(cliEnvironment(dir.path()));
        p.start(binPath("vx5x"), {"--port", QStringLiteral("rfc2217://127.0.0.1:%1").arg(port), "--lang", "1", "--baud", "38400",
                                  "--parity", "E", "--unit", "0", "read", "--setpoints", path("lost.aps")});
        QVERIFY(p.waitForStarted(5000));
        QTest::qWait(1500);
        QCOMPARE(p.state(), QProcess::Running);
        server.stop();
        QVERIFY(p.waitForFinished(20000));
        const QByteArray err = p.readAllStandardError();
        QVERIFY2(p.exitCode() == 3, err.constData());
        QVERIFY2(err.contains("lost"), err.constData());
        QVERIFY(!QFile::exists(path("lost.aps")));
        // Nobody listening: the port cannot be opened, and the message says where.
        const Run refused = vx5x(QStringLiteral("tcp://127.0.0.1:%1").arg(port), {"info"}, true, 20000);
        QCOMPARE(refused.code, 3);
        QVERIFY2(refused.err.contains(QStringLiteral("127.0.0.1:%1").arg(port).toUtf8()), refused.err.constData());
    }

    // vx5x-sim serves TCP itself: the same identification as its pseudo-terminal.
    void simulatorListens_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("scheme");
        QTest::newRow("raw") << "--listen"
                             << "tcp";
        QTest::newRow("rfc2217") << "--listen-rfc2217"
                                 << "rfc2217";
    }
    void simulatorListens()
    {
        QFETCH(QString, option);
        QFETCH(QString, scheme);
        SimProcess sim;
        QVERIFY(sim.start({option, "127.0.0.1:0", "--frame", "38400:8E1", "--unit", "0:VX50:38400:8E1"}));
        const QString url = scheme + "://" + sim.pty;
        for (int i = 0; i < 2; ++i) { // a second client after the first has gone
            const Run r = vx5x(url, {"info"}, true);
            QVERIFY2(r.code == 0, r.err.constData());
            QVERIFY(r.out.contains("VX50"));
        }
    }
};

QTEST_GUILESS_MAIN(TstSer2net)
#include "tst_ser2net.moc"
