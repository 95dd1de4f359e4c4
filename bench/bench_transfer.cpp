// Whole-controller read and write (mode 3) against vx5x-sim over a pseudo-terminal at
// 38400 baud: the time taken against the floor of the line, which is every character
// at its character time, the controller's latency and the 50 ms pause that ends each
// reply. A restore also reads the controller first (safety backup) and after
// (read-back); both show as their own lines. A bare blocking loop (no thread, no
// window) that writes each request and reads to its line end is the reference for
// fast replies; and a restore of a backup that differs in 10 values is timed against
// the full write of every value.
#include "BenchSim.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Paths.h"
#include "device/ControllerLine.h"
#include "params/LeesParSoll.h"
#include "params/SafetyBackup.h"
#include "params/SchrijfParSoll.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace vx;

namespace {

constexpr int Baud = 38400;
constexpr double BitsPerChar = 11.0; // start, 8 data, parity, stop
constexpr double LatencyMs = 2.0;    // vx5x-sim's default
constexpr double ReplyEndMs = 50.0;  // the pause that ends a reply

double charMs() { return BitsPerChar * 1000.0 / Baud; }

// The pause that ends a reply; 0 for replies that end at their line end.
double g_replyEndMs = ReplyEndMs;

// One exchange: request + CR out, reply + two line-end bytes back.
double exchangeFloorMs(const QString& request, const QString& reply)
{
    return double(request.size() + 1 + reply.size() + 2) * charMs() + LatencyMs + g_replyEndMs;
}

double readFloorMs(const TParWaarden& p, const TSollWaarden& s)
{
    double ms = 0;
    for (int n = 0; n <= 511; ++n)
        ms += exchangeFloorMs(QStringLiteral("rp %1").arg(n), QStringLiteral("rp %1 %2").arg(n).arg(p[n]));
    for (int n = 1; n <= 80; ++n)
        ms += exchangeFloorMs(QStringLiteral("rs %1").arg(n), QStringLiteral("rs %1 %2").arg(n).arg(s[n]));
    return ms;
}

double writeFloorMs(const TParWaarden& p, const TSollWaarden& s)
{
    double ms = 0;
    for (int n = 0; n <= 511; ++n) {
        const QString r = QStringLiteral("wp %1 %2").arg(n).arg(p[n]);
        ms += exchangeFloorMs(r, r);
    }
    for (int n = 1; n <= 80; ++n) {
        const QString r = QStringLiteral("ws %1 %2").arg(n).arg(s[n]);
        ms += exchangeFloorMs(r, r);
    }
    return ms + exchangeFloorMs(QStringLiteral("bp"), QStringLiteral("bp -1"));
}

// Runs the transfer without a modal loop; seconds until it is complete, or -1.
double timeTransfer(TTransferForm& w)
{
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (w.isDone() || w.failed())
            loop.quit();
    });
    QElapsedTimer clock;
    clock.start();
    poll.start();
    w.start(3);
    loop.exec();
    const double s = double(clock.nsecsElapsed()) / 1e9;
    if (w.failed()) {
        std::fprintf(stderr, "transfer failed: %s\n", qPrintable(w.Panel1->text()));
        return -1;
    }
    return s;
}

void report(const char* what, double seconds, double floorMs, double goal = 1.05)
{
    const double floor = floorMs / 1000.0;
    std::printf("%-22s %8.2f s   floor %8.2f s   ratio %.3f (goal %.2f: %s)\n", what, seconds, floor, seconds / floor,
                goal, seconds / floor <= goal ? "met" : "missed");
}

QStringList readRequests()
{
    QStringList r;
    for (int n = 0; n <= 511; ++n)
        r << QStringLiteral("rp %1").arg(n);
    for (int n = 1; n <= 80; ++n)
        r << QStringLiteral("rs %1").arg(n);
    return r;
}

QStringList writeRequests(const TParWaarden& p, const TSollWaarden& s)
{
    QStringList r;
    for (int n = 0; n <= 511; ++n)
        r << QStringLiteral("wp %1 %2").arg(n).arg(p[n]);
    for (int n = 1; n <= 80; ++n)
        r << QStringLiteral("ws %1 %2").arg(n).arg(s[n]);
    return r << QStringLiteral("bp");
}

void reportToBare(const char* what, double seconds, double bare, double goal)
{
    std::printf("%-22s %8.2f s / bare loop %.2f s = %.3f", what, seconds, bare, seconds / bare);
    if (goal > 0)
        std::printf(" (goal <= %.2f: %s)", goal, seconds / bare <= goal ? "met" : "missed");
    std::printf("\n");
}

void reportFastToClassic(const char* what, double fast, double classic)
{
    std::printf("%-22s fast %.2f s / classic %.2f s = %.3f (goal 0.15: %s)\n", what, fast, classic, fast / classic,
                fast / classic <= 0.15 ? "met" : "missed");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    bench::SimProcess sim;
    if (!sim.start({QStringLiteral("--unit"), QStringLiteral("0:VX50:%1:8O1").arg(Baud), QStringLiteral("--no-demo")})) {
        std::fprintf(stderr, "vx5x-sim did not start next to this program\n");
        return 1;
    }
    const QByteArray ptyPath = sim.pty.toLocal8Bit();
    setPortDevicePath(1, ptyPath.toStdString());

    // Safety backups of this run go to a scratch folder.
    QTemporaryDir scratch;
    paths::setUserDataDir(scratch.path());

    TSXComm port;
    port.setBaudrate(TBaudrate::br38400);
    port.setFrameParitybit(TParityBit::Odd);
    app().SXComm1 = &port;
    port.Open();
    if (!port.Active()) {
        std::fprintf(stderr, "cannot open %s\n", ptyPath.constData());
        return 1;
    }

    int rc = 0;
    std::printf("whole controller over %s at %d baud, %d requests each way\n", ptyPath.constData(), Baud, 512 + 80);
    double classicRead = 0;
    double classicWrite = 0;
    // Classic first (each reply ends after 50 ms of silence), then fast replies (each
    // ends at its line end); the floor of the fast mode has no pause in it.
    for (const bool fast : {false, true}) {
        setFastReplies(fast, &port);
        g_replyEndMs = fast ? 0.0 : ReplyEndMs;
        const char* mode = fast ? "fast" : "classic";
        TFormLeesParSoll lees;
        TFormSchrijfParSoll schrijf;
        const double read = timeTransfer(lees);
        if (read < 0) {
            rc = 1;
            break;
        }
        schrijf.ParBuffer = lees.ParBuffer;
        schrijf.SollwBuffer = lees.SollwBuffer;
        const double write = timeTransfer(schrijf);
        const double goal = fast ? 1.3 : 1.05;
        report(qPrintable(QStringLiteral("read, %1").arg(QLatin1String(mode))), read,
               readFloorMs(lees.ParBuffer, lees.SollwBuffer), goal);
        if (write < 0) {
            rc = 1;
            break;
        }
        report(qPrintable(QStringLiteral("write + bp, %1").arg(QLatin1String(mode))), write,
               writeFloorMs(schrijf.ParBuffer, schrijf.SollwBuffer), goal);
        // A restore as the program ran it before it wrote only what differs: the
        // safety backup's extra read on its own line.
        setWriteEveryValueOn(true);
        safety::setBackupsOn(true);
        safety::setVerifyOn(false);
        const double withSafety = timeTransfer(schrijf);
        safety::setVerifyOn(true);
        // A backup that differs from the controller in 10 setpoints: its restore
        // writes those 10; then the full restore of the controller's own values, which
        // differ from it in the same 10, writes all 592. Both read the controller first
        // and every value back after.
        for (int n = 1; n <= 10; ++n)
            schrijf.SollwBuffer[n] = lees.SollwBuffer[n] + n;
        setWriteEveryValueOn(false);
        const double differing = timeTransfer(schrijf);
        schrijf.SollwBuffer = lees.SollwBuffer;
        setWriteEveryValueOn(true);
        const double restore = timeTransfer(schrijf);
        setWriteEveryValueOn(false);
        safety::setBackupsOn(false);
        safety::setVerifyOn(false);
        if (withSafety < 0 || restore < 0 || differing < 0) {
            rc = 1;
            break;
        }
        report(qPrintable(QStringLiteral("safety backup, %1").arg(QLatin1String(mode))), withSafety - write,
               readFloorMs(lees.ParBuffer, lees.SollwBuffer), goal);
        std::printf("%-22s %8.2f s   (safety backup + write + bp + read-back; write alone %.2f s)\n",
                    qPrintable(QStringLiteral("restore, %1").arg(QLatin1String(mode))), restore, write);
        const double share = differing / restore;
        std::printf("%-22s %8.2f s   / full restore %.2f s = %.3f", qPrintable(QStringLiteral("10 differ, %1").arg(QLatin1String(mode))),
                    differing, restore, share);
        if (!fast)
            std::printf(" (goal <= 0.70: %s)", share <= 0.70 ? "met" : "missed");
        std::printf("\n");
        if (fast) {
            // The reference on the same line, the port closed meanwhile.
            port.Close();
            const double bareRead = bench::bareLoop(ptyPath, readRequests());
            const double bareWrite = bench::bareLoop(ptyPath, writeRequests(lees.ParBuffer, lees.SollwBuffer));
            port.Open();
            if (bareRead < 0 || bareWrite < 0 || !port.Active()) {
                std::fprintf(stderr, "the bare loop got no reply\n");
                rc = 1;
                break;
            }
            reportToBare("fast read", read, bareRead, 1.05);
            reportToBare("fast write", write, bareWrite, 0);
        }
        if (!fast) {
            classicRead = read;
            classicWrite = write;
        } else {
            reportFastToClassic("read", read, classicRead);
            reportFastToClassic("write + bp", write, classicWrite);
        }
    }
    port.Close();
    app().SXComm1 = nullptr;
    sim.process.terminate();
    sim.process.waitForFinished(3000);
    return rc;
}
