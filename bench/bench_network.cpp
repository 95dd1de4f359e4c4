// A whole-controller read (vx5x backup) at 38400 baud over ser2net with RFC 2217 and
// over the direct pseudo-terminal, both reply modes, in the same run; printed as
// ratios to fast replies direct (goal: fast over ser2net within 1.15). ser2net runs
// twice: as the guide recommends (chardelay off: each byte forwarded at once) and with
// its defaults, which hold every reply back by up to two character times plus 1 ms.
#include "BenchSim.h"
#include "support/Ser2Net.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

using vx::test::Ser2Net;

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QString bin = QCoreApplication::applicationDirPath();
    if (Ser2Net::program().isEmpty()) {
        std::printf("bench_network: ser2net is not installed (scripts/install-deps.sh); skipped\n");
        return 0;
    }
    QTemporaryDir dir;
    bench::SimProcess sim;
    sim.start({"--unit", "0:VX50:38400:8E1"});
    const QString pty = sim.pty;
    // One ser2net per setting, one after the other, in front of the same pseudo-terminal.
    auto startServer = [&](Ser2Net& server, bool charDelay) {
        Ser2Net::Options o;
        o.charDelay = charDelay;
        return server.start(pty, o);
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
    Ser2Net server;
    if (!startServer(server, false)) {
        std::printf("bench_network: ser2net did not start\n");
        return 1;
    }
    const QString url = server.url();
    const double fastNet = timed(url, true);
    const double classicNet = timed(url, false);
    server.stop();
    Ser2Net defaultsServer;
    const double fastDefaults = startServer(defaultsServer, true) ? timed(defaultsServer.url(), true) : -1.0;
    defaultsServer.stop();
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
