// A pulled adapter under the main window with the live values and I/O on, against
// vx5x-sim on a pseudo-terminal: the tool's CPU use while the line is gone, failed
// exchanges per second on a silent line, and the time from re-plug to the first
// live value.
#include "BenchSim.h"
#include "app/VX40Main.h"
#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "device/LiveMonitor.h"
#include "params/ValueStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

using namespace vx;

namespace {

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until done() or ms passed; false on the time-out.
bool runUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        runFor(5);
    }
    return true;
}

std::unique_ptr<TFormMain> connectedWindow(const QString& dir)
{
    MainOptions o;
    o.exeDir = dir + "/";
    auto w = std::make_unique<TFormMain>(o);
    w->CmdSelectUnit->click();
    runUntil([&] { return !w->statusPanel(4)->text().isEmpty(); }, 5000);
    w->CmdActual->click();
    w->CmdInUit->click();
    return w;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QTemporaryDir dir;
    const QString link = dir.filePath("adapter");
    setPortDevicePath(1, link.toStdString());

    // 1. A dead line for 10 s (no re-plug), the reconnect watcher looking.
    double deadCpu = 0;
    {
        bench::SimProcess sim;
        if (!sim.start({"--link", link, "--fault", "unplug:after=40"})) return 1;
        auto w = connectedWindow(dir.path());
        if (!runUntil([&] { return w->SXComm1()->Lost(); }, 10000)) {
            std::fprintf(stderr, "the line was never lost\n");
            return 1;
        }
        const double cpu0 = bench::processCpuSeconds();
        QElapsedTimer t;
        t.start();
        runFor(10000);
        deadCpu = (bench::processCpuSeconds() - cpu0) / (double(t.nsecsElapsed()) / 1e9);
        w->CmdSelectUnit->click();
    }

    // 2. A controller that stays silent to the five axis values for 10 s.
    double failedPerSecond = 0;
    {
        QStringList args{"--link", link};
        for (const char* r : {"r0", "r4", "r6", "r1", "r5"}) args << "--fault" << QString("no-reply:cmd=%1").arg(r);
        bench::SimProcess sim;
        if (!sim.start(args)) return 1;
        auto w = connectedWindow(dir.path());
        const std::vector<TPX400Protocol*> silent{w->live()->PX400ActPos1, w->live()->PX400ActPos2,
                                                  w->live()->PX400PosVerschil, w->live()->PX400Snelheid1,
                                                  w->live()->PX400Snelheid2};
        runFor(3000); // past the first, short waits
        // Each of their exchanges is a failure; one lasts at least the 100 ms time-out,
        // so looking every few ms sees every one start.
        int sent = 0;
        std::vector<bool> running(silent.size(), false);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000) {
            runFor(5);
            for (size_t i = 0; i < silent.size(); ++i) {
                const bool now = w->SXComm1()->requestInProgress(silent[i]->request());
                sent += now && !running[i];
                running[i] = now;
            }
        }
        failedPerSecond = double(sent) / (double(t.elapsed()) / 1000.0) / double(silent.size());
        w->CmdSelectUnit->click();
    }

    // 3. Re-plug after 1 s: time until the first live value shows again.
    double replugSeconds = -1;
    {
        bench::SimProcess sim;
        if (!sim.start({"--link", link, "--fault", "unplug:after=40", "--replug-after", "1000"})) return 1;
        auto w = connectedWindow(dir.path());
        if (!runUntil([&] { return w->SXComm1()->Lost(); }, 10000)) return 1;
        // The new pseudo-terminal's path is printed the moment it is served.
        runUntil([&] { return sim.paths.size() > 1; }, 10000);
        QElapsedTimer t;
        t.start();
        const bool back = runUntil(
            [&] {
                const QString v = w->PanelActPos1->text();
                return !v.isEmpty() && v != QLatin1String("?");
            },
            10000);
        if (back) replugSeconds = double(t.nsecsElapsed()) / 1e9;
        w->CmdSelectUnit->click();
    }

    std::printf("CPU on a dead line:         %.2f %% of one core (goal < 2 %%)\n", 100 * deadCpu);
    std::printf("failed exchanges, silent:   %.2f per component per second (goal <= about 1)\n", failedPerSecond);
    if (replugSeconds >= 0)
        std::printf("re-plug to first value:     %.2f s (goal < 1.5 s)\n", replugSeconds);
    else
        std::printf("re-plug to first value:     no value within 10 s (goal < 1.5 s)\n");
    return 0;
}
