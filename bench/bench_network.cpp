// A whole-controller read (vx5x backup) at 38400 baud over ser2net with RFC 2217 and
// over the direct pseudo-terminal, both reply modes, in the same run; printed as
// ratios to fast replies direct (goal: fast over ser2net within 1.15). ser2net runs
// twice: as the guide recommends (chardelay off: each byte forwarded at once) and with
// its defaults, which hold every reply back by up to two character times plus 1 ms.
#include "BenchSim.h"
#include "support/Loopback.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using vx::test::accepts;
using vx::test::freePort;

void stop(QProcess& p)
{
    p.terminate();
    if (!p.waitForFinished(3000))
        p.kill();
    p.waitForFinished(1000);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QString bin = QCoreApplication::applicationDirPath();
    QString ser2net = QStandardPaths::findExecutable("ser2net");
    if (ser2net.isEmpty())
        ser2net = QStandardPaths::findExecutable("ser2net", {"/usr/sbin", "/sbin"});
    if (ser2net.isEmpty()) {
        std::printf("bench_network: ser2net is not installed (scripts/install-deps.sh); skipped\n");
        return 0;
    }
    QTemporaryDir dir;
    bench::SimProcess sim;
    sim.start({"--unit", "0:VX50:38400:8E1"});
    const QString pty = sim.pty;
    // One ser2net per setting, one after the other, in front of the same pseudo-terminal.
    auto startServer = [&](QProcess& server, int port, bool charDelay) {
        QFile yaml(dir.filePath(QStringLiteral("ser2net-%1.yaml").arg(port)));
        if (!yaml.open(QIODevice::WriteOnly))
            return false;
        yaml.write(QStringLiteral("%YAML 1.1\n---\nconnection: &vx%1\n  accepter: telnet(rfc2217),tcp,127.0.0.1,%1\n"
                                  "  connector: serialdev,%2,38400e81,local\n  options:\n    chardelay: %3\n")
                       .arg(port)
                       .arg(pty, charDelay ? QStringLiteral("true") : QStringLiteral("false"))
                       .toUtf8());
        yaml.close();
        server.start(ser2net, {"-n", "-d", "-c", yaml.fileName(), "-P", dir.filePath(QStringLiteral("ser2net-%1.pid").arg(port))});
        for (int i = 0; i < 250 && !accepts(port); ++i)
            QThread::msleep(20);
        return accepts(port);
    };
    if (pty.isEmpty()) {
        std::printf("bench_network: no simulator\n");
        return 1;
    }
    auto timed = [&](const QString& where, bool fast) {
        QStringList args{"--port", where, "--quiet", "--baud", "38400", "--parity", "E", "--unit", "0"};
        if (fast)
            args << "--fast";
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", dir.path());
        p.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        p.start(bin + "/vx5x", args + QStringList{"backup", dir.filePath("b.bak")});
        const bool ok = p.waitForFinished(600000) && p.exitCode() == 0;
        return ok ? double(t.elapsed()) / 1000.0 : -1.0;
    };
    // Direct first: a ser2net that was just probed may still hold the pseudo-terminal.
    const double fastDirect = timed(pty, true);
    const double classicDirect = timed(pty, false);
    const int port = freePort();
    QProcess server;
    if (!startServer(server, port, false)) {
        std::printf("bench_network: ser2net did not start\n");
        return 1;
    }
    const QString url = QStringLiteral("rfc2217://127.0.0.1:%1").arg(port);
    const double fastNet = timed(url, true);
    const double classicNet = timed(url, false);
    stop(server);
    const int defaultsPort = freePort();
    QProcess defaultsServer;
    const double fastDefaults = startServer(defaultsServer, defaultsPort, true)
                                    ? timed(QStringLiteral("rfc2217://127.0.0.1:%1").arg(defaultsPort), true)
                                    : -1.0;
    stop(defaultsServer);
    stop(sim.process);
    if (fastDirect <= 0 || fastNet <= 0 || classicDirect <= 0 || classicNet <= 0 || fastDefaults <= 0) {
        std::printf("bench_network: a read failed (%.1f %.1f %.1f %.1f %.1f s)\n", fastDirect, fastNet, classicDirect,
                    classicNet, fastDefaults);
        return 1;
    }
    std::printf("whole-set read at 38400 baud      seconds   ratio to fast direct\n");
    std::printf("  fast replies, direct pty       %7.1f   %5.2f\n", fastDirect, 1.0);
    std::printf("  fast replies, ser2net RFC 2217 %7.1f   %5.2f  (goal <= 1.15)\n", fastNet, fastNet / fastDirect);
    std::printf("  classic replies, direct pty    %7.1f   %5.2f\n", classicDirect, classicDirect / fastDirect);
    std::printf("  classic replies, ser2net       %7.1f   %5.2f\n", classicNet, classicNet / fastDirect);
    std::printf("  fast replies, ser2net defaults %7.1f   %5.2f  (chardelay on: not recommended)\n", fastDefaults,
                fastDefaults / fastDirect);
    return fastNet / fastDirect <= 1.15 ? 0 : 1;
}
