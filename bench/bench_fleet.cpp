// The bus overview idle on three controllers (two baud rates) of vx5x-sim over a
// pseudo-terminal: how many requests a second its poll puts on the line (the goal
// is under 5, so live work on the same bus keeps its pace), and how soon every unit
// shows as live.
#include "BenchSim.h"
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/Paths.h"
#include "fleet/BusOverview.h"
#include "fleet/Units.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace vx;

namespace {

void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    bench::SimProcess sim;
    sim.logRequests = true; // the requests are what is counted
    if (!sim.start({"--unit", "1:VX50:38400:8O1", "--unit", "2:VX51:38400:8O1", "--unit", "4:VX50:57600:8O1"})) {
        std::fprintf(stderr, "could not start vx5x-sim\n");
        return 1;
    }
    setPortDevicePath(1, sim.pty.toStdString());
    QTemporaryDir dir;
    paths::setUserDataDir(dir.filePath("user"));
    QList<fleet::KnownUnit> units;
    for (const auto& [unit, baud] : {std::pair{1, TBaudrate::br38400}, {2, TBaudrate::br38400}, {4, TBaudrate::br57600}}) {
        fleet::KnownUnit u;
        u.port = QStringLiteral("COM1");
        u.unit = unit;
        u.line = {baud, TParityBit::Odd, TStopBit::sb_1};
        units << u;
    }
    fleet::saveUnits(paths::userDataDir(), units);

    MainOptions o;
    o.exeDir = dir.path() + "/";
    TFormMain w(o);
    createRegisteredWindows(w);
    w.SXComm1()->setBaudrate(TBaudrate::br38400);
    w.SXComm1()->setFrameParitybit(TParityBit::Odd);
    w.SXComm1()->Open();
    auto* overview = w.findChild<TFormBusOverview*>();
    if (!overview) {
        std::fprintf(stderr, "no bus overview\n");
        return 1;
    }
    pause(500);
    const qsizetype before = sim.requests().size();
    QElapsedTimer clock;
    clock.start();
    overview->show();
    qint64 allLive = -1;
    const int seconds = 12;
    while (clock.elapsed() < seconds * 1000) {
        pause(50);
        if (allLive < 0) {
            bool live = true;
            for (int row = 0; row < 3; ++row)
                live = live && overview->cell(row, TFormBusOverview::ColState) == texts::Fleet("StateLive");
            if (live)
                allLive = clock.elapsed();
        }
    }
    const double elapsed = double(clock.elapsed()) / 1000.0;
    const QList<test::LogLine> requests = sim.requests().mid(before);
    overview->reject();
    const double rate = double(requests.size()) / elapsed;
    std::printf("bus overview idle, 3 units (38400 and 57600 baud), %.1f s: %lld requests, %.2f requests/s "
                "(goal < 5) %s\n",
                elapsed, static_cast<long long>(requests.size()), rate, rate < 5 ? "ok" : "OVER");
    std::printf("every unit shown live after %lld ms\n", static_cast<long long>(allLive));
    return rate < 5 ? 0 : 1;
}
