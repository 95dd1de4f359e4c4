// vx5x against vx5x-sim over a pseudo-terminal at 38400 baud: a whole-controller
// read against the line's floor (the same floor as the read window's transfer, so
// the two front ends cannot drift apart), and the start-up time of `vx5x --version`.
#include "BenchSim.h"
#include "params/ParFormats.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vx;

namespace {

constexpr int Baud = 38400;
constexpr double BitsPerChar = 11.0; // start, 8 data, parity, stop
constexpr double LatencyMs = 2.0;    // vx5x-sim's default
constexpr double ReplyEndMs = 50.0;  // the pause that ends a reply

double exchangeFloorMs(const QString& request, const QString& reply)
{
    return double(request.size() + 1 + reply.size() + 2) * BitsPerChar * 1000.0 / Baud + LatencyMs + ReplyEndMs;
}

double readFloorMs(const TParWaarden& p, const TSollWaarden& s)
{
    // The unit select that opens the run, then every value.
    double ms = exchangeFloorMs(QStringLiteral("sc 0"), QStringLiteral("sc 0"));
    for (int n = 0; n <= 511; ++n)
        ms += exchangeFloorMs(QStringLiteral("rp %1").arg(n), QStringLiteral("rp %1 %2").arg(n).arg(p[n]));
    for (int n = 1; n <= 80; ++n)
        ms += exchangeFloorMs(QStringLiteral("rs %1").arg(n), QStringLiteral("rs %1 %2").arg(n).arg(s[n]));
    return ms;
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QString bin = QCoreApplication::applicationDirPath();

    // Start-up: the best of 20 runs, so a busy moment on the machine does not count.
    std::vector<double> starts;
    for (int i = 0; i < 20; ++i) {
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(bin + QStringLiteral("/vx5x"), {QStringLiteral("--version")});
        if (!p.waitForFinished(10000) || p.exitCode() != 0) {
            std::fprintf(stderr, "vx5x --version failed\n");
            return 1;
        }
        starts.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(starts.begin(), starts.end());
    std::printf("%-22s %8.1f ms (median %.1f ms)   goal 50 ms %s\n", "vx5x --version", starts.front(),
                starts[starts.size() / 2], starts[starts.size() / 2] < 50 ? "(goal met)" : "(over the goal)");

    bench::SimProcess sim;
    if (!sim.start({QStringLiteral("--unit"), QStringLiteral("0:VX50:%1:8O1").arg(Baud), QStringLiteral("--no-demo")})) {
        std::fprintf(stderr, "vx5x-sim did not start next to this program\n");
        return 1;
    }
    const QString pty = sim.pty;
    QTemporaryDir dir;
    const QString app = dir.filePath(QStringLiteral("a.app"));
    const QString aps = dir.filePath(QStringLiteral("a.aps"));
    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    cli.start(bin + QStringLiteral("/vx5x"), {"--port", pty, "--unit", "0", "--baud", QString::number(Baud), "--parity",
                                              "O", "--quiet", "read", "--params", app, "--setpoints", aps});
    const bool finished = cli.waitForFinished(300000);
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    sim.process.terminate();
    sim.process.waitForFinished(3000);
    TParWaarden p;
    TSollWaarden s;
    if (!finished || cli.exitCode() != 0
        || files::parseParameterFile(contents(app), p) != files::TextFileError::None
        || files::parseSetpointFile(contents(aps), s) != files::TextFileError::None) {
        std::fprintf(stderr, "vx5x read failed\n");
        return 1;
    }
    const double floor = readFloorMs(p, s) / 1000.0;
    std::printf("%-22s %8.2f s   floor %8.2f s   ratio %.3f %s\n", "vx5x read (whole)", seconds, floor,
                seconds / floor, seconds / floor <= 1.05 ? "(goal met)" : "(over the 1.05 goal)");
    return 0;
}
