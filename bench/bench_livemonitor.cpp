// The main window polling all seven live values and the I/O words against vx5x-sim
// over a pseudo-terminal at 38400 baud: updates per second per panel against the
// line's floor, the tool's CPU use and its resident memory.
#include "BenchSim.h"
#include "app/VX40Main.h"
#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "device/CommandSet.h"
#include "device/ControllerLine.h"
#include "device/LiveMonitor.h"
#include "params/ValueStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <map>

using namespace vx;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    bench::SimProcess sim;
    if (!sim.start({"--unit", "0:VX50:38400:8O1"})) {
        std::fprintf(stderr, "could not start vx5x-sim\n");
        return 1;
    }
    setPortDevicePath(1, sim.pty.toStdString());

    QTemporaryDir dir;
    MainOptions o;
    o.exeDir = dir.path() + "/";
    TFormMain w(o);
    w.SXComm1()->setBaudrate(TBaudrate::br38400);
    ParWaarden[280] = 1; // voltage too: all seven values

    std::map<QString, int> updates;
    for (TPX400Protocol* c : {w.live()->PX400ActPos1, w.live()->PX400ActPos2, w.live()->PX400PosVerschil, w.live()->PX400Snelheid1,
                              w.live()->PX400Snelheid2, w.live()->PX400Spanning, w.live()->PX400_in, w.live()->PX400_uit}) {
        auto original = c->OnCommResult;
        c->OnCommResult = [&updates, original](TSXProtocolComponent* s, const QByteArray& r) {
            ++updates[s->objectName()];
            if (original) original(s, r);
        };
    }
    w.CmdSelectUnit->click();
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 1500) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    w.CmdActual->click();
    w.CmdInUit->click();

    // Classic (each reply ends after 50 ms of silence), then fast replies.
    const double seconds = 8;
    std::map<QString, double> classicRate;
    int fastExchanges = 0;
    double fastCpuPerExchange = 0;
    for (const bool fast : {false, true}) {
        setFastReplies(fast, w.SXComm1());
        QEventLoop settle;
        QTimer::singleShot(500, &settle, &QEventLoop::quit);
        settle.exec();
        updates.clear();
        const double cpu0 = bench::processCpuSeconds();
        QElapsedTimer timer;
        timer.start();
        QEventLoop loop;
        QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
        loop.exec();
        const double elapsed = double(timer.nsecsElapsed()) / 1e9;
        const double cpu = bench::processCpuSeconds() - cpu0;

        // Eight components take turns; each exchange is about 3 request + ~10 reply
        // characters, 2 ms latency and, in the classic mode, the 50 ms end-of-reply
        // pause (plus rf once a second).
        const double ch = bench::charSeconds(38400, 8, true, 1);
        const double exchange = 13 * ch + 0.002 + (fast ? 0.0 : 0.050);
        const double floorPerPanel = 1.0 / (8 * exchange);
        std::printf("%s replies\n", fast ? "fast" : "classic");
        std::printf("%-18s %10s %10s %s\n", "component", "updates/s", "floor/s",
                    fast ? "  fast/classic (goal >= 6)  of floor (goal >= 0.95)" : "");
        double least = 0;
        for (auto& [name, n] : updates) {
            const double rate = n / elapsed;
            least = least == 0 ? rate : std::min(least, rate);
            if (!fast) {
                classicRate[name] = rate;
                std::printf("%-18s %10.2f %10.2f\n", qPrintable(name), rate, floorPerPanel);
            } else {
                const double ratio = classicRate[name] > 0 ? rate / classicRate[name] : 0;
                const double ofFloor = rate / floorPerPanel;
                std::printf("%-18s %10.2f %10.2f   %6.1fx %-6s     %.3f %s\n", qPrintable(name), rate, floorPerPanel,
                            ratio, ratio >= 6 ? "met" : "missed", ofFloor, ofFloor >= 0.95 ? "met" : "missed");
            }
        }
        if (fast)
            std::printf("slowest panel:     %.3f of the floor (goal >= 0.95: %s)\n", least / floorPerPanel,
                        least / floorPerPanel >= 0.95 ? "met" : "missed");
        const double cpuShare = 100 * cpu / elapsed;
        if (fast) {
            fastExchanges = 0;
            for (auto& [name, n] : updates) fastExchanges += n;
            fastCpuPerExchange = fastExchanges > 0 ? cpu / fastExchanges : 0;
        }
        const double cpuGoal = fast ? 2.0 : 5.0;
        std::printf("tool CPU:          %.1f %% of one core (goal < %.0f %%: %s; includes the worker thread)\n", cpuShare,
                    cpuGoal, cpuShare < cpuGoal ? "met" : "missed");
    }
    std::printf("resident memory:   %.1f MB (goal < 80 MB)\n", double(bench::residentKiB()) / 1024.0);

    // The same requests from a bare blocking loop (no thread, no windows) on the same
    // line: what the exchanges themselves cost on this machine, whoever asks.
    w.SXComm1()->Close();
    QStringList requests;
    for (int round = 0; round < std::max(fastExchanges, 7) / 7; ++round) {
        for (auto which : {TLiveMonitor::ActPos1, TLiveMonitor::ActPos2, TLiveMonitor::PosVerschil, TLiveMonitor::Snelheid1,
                           TLiveMonitor::Snelheid2})
            requests << QLatin1String(TLiveMonitor::request(which));
        requests << QLatin1String(cmd::ReadInputs) << QLatin1String(cmd::ReadOutputs);
    }
    const double cpu0 = bench::processCpuSeconds();
    const double bareSeconds = bench::bareLoop(sim.pty.toLocal8Bit(), requests);
    const double bareCpu = bench::processCpuSeconds() - cpu0;
    if (bareSeconds > 0 && fastCpuPerExchange > 0) {
        const double perExchange = bareCpu / double(requests.size());
        std::printf("bare loop:         %.0f exchanges/s at %.1f %% of one core, %.0f us each; the tool %.0f us each = "
                    "%.2f of the bare loop\n",
                    double(requests.size()) / bareSeconds, 100 * bareCpu / bareSeconds, perExchange * 1e6,
                    fastCpuPerExchange * 1e6, fastCpuPerExchange / perExchange);
    }
    w.close();
    return 0;
}
