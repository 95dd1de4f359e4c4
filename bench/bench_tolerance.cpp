// vx5x on a noisy line: whole-set reads against vx5x-sim injecting one seeded random
// fault in 100 replies (cut, stale, doubled, garbled, junk, no line end, lost), with
// fast replies and classic ones. Counts the reads that completed with every value
// right, and every wrong value in any file a read left behind.
#include "BenchSim.h"
#include "params/ParFormats.h"
#include "sim/SimBus.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace vx;

namespace {

constexpr int Baud = 38400;
constexpr int FastRuns = 40, ClassicRuns = 5;
constexpr int FastGoal = 38, ClassicGoal = 5; // of 40 and 5
const QString Faults = QStringLiteral("random:rate=0.01,seed=%1,kinds=cut,stale,dup,garbage,burst,no-line-end,no-reply");

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The values the simulator starts with: the same units and definitions as vx5x-sim.
struct Expected {
    TParWaarden par;
    TSollWaarden soll;
};

Expected simulatorValues()
{
    sim::SimBus bus;
    bus.loadParameters(sim::defaultParametersPath());
    sim::UnitConfig unit;
    unit.frame = {Baud, 8, 'O', 1};
    bus.addUnit(unit);
    Expected e;
    for (int n = 0; n <= 511; ++n)
        e.par[n] = bus.parameter(0, n);
    for (int n = 1; n <= 80; ++n)
        e.soll[n] = bus.setpoint(0, n);
    return e;
}

struct Run {
    int seed = 0;
    bool fast = true;
    std::unique_ptr<bench::SimProcess> sim;
    std::unique_ptr<QProcess> cli;
    QString app, aps;
    // Results
    int exit = -1;
    bool complete = false; // exit 0, both files, every value right
    int wrong = 0;         // values in a written file that differ from the simulator's
    QString why;
};

bool start(Run& r, const QString& folder)
{
    r.sim = std::make_unique<bench::SimProcess>();
    if (!r.sim->start({"--unit", QStringLiteral("0:VX50:%1:8O1").arg(Baud), "--no-demo", "--fault", Faults.arg(r.seed)}))
        return false;
    r.app = QStringLiteral("%1/%2-%3.app").arg(folder, r.fast ? "fast" : "classic").arg(r.seed);
    r.aps = QStringLiteral("%1/%2-%3.aps").arg(folder, r.fast ? "fast" : "classic").arg(r.seed);
    QStringList args{"--port", r.sim->pty, "--unit", "0", "--baud", QString::number(Baud), "--parity", "O",
                     "--lang", "1", "--quiet"};
    if (r.fast)
        args << "--fast";
    args << "read"
         << "--params" << r.app << "--setpoints" << r.aps;
    r.cli = std::make_unique<QProcess>();
    r.cli->start(QCoreApplication::applicationDirPath() + "/vx5x", args);
    return r.cli->waitForStarted(5000);
}

void finish(Run& r, const Expected& want)
{
    // A read that hangs counts as failed; three minutes is many times a classic read.
    if (!r.cli->waitForFinished(180000)) {
        r.cli->kill();
        r.cli->waitForFinished(2000);
        r.why = QStringLiteral("no end within 180 s");
    }
    r.exit = r.cli->exitStatus() == QProcess::NormalExit ? r.cli->exitCode() : -1;
    const QList<QByteArray> err = r.cli->readAllStandardError().trimmed().split('\n');
    if (r.why.isEmpty())
        r.why = QString::fromUtf8(err.last());
    r.sim.reset();
    TParWaarden par;
    TSollWaarden soll;
    const bool haveApp = QFile::exists(r.app), haveAps = QFile::exists(r.aps);
    const bool parOk = haveApp && files::parseParameterFile(contents(r.app), par) == files::TextFileError::None;
    const bool sollOk = haveAps && files::parseSetpointFile(contents(r.aps), soll) == files::TextFileError::None;
    if (parOk)
        for (int n = 0; n <= 511; ++n)
            r.wrong += par[n] != want.par[n] ? 1 : 0;
    if (sollOk)
        for (int n = 1; n <= 80; ++n)
            r.wrong += soll[n] != want.soll[n] ? 1 : 0;
    // A file that is there but unreadable is a bad file left behind.
    if ((haveApp && !parOk) || (haveAps && !sollOk))
        ++r.wrong;
    r.complete = r.exit == 0 && parOk && sollOk && r.wrong == 0;
    if (r.exit == 0 && !r.complete)
        r.why = QStringLiteral("exit 0 over a bad file");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // "bench_tolerance F C" runs F fast and C classic reads instead, for a quick look.
    const int fastRuns = argc > 2 ? std::atoi(argv[1]) : FastRuns;
    const int classicRuns = argc > 2 ? std::atoi(argv[2]) : ClassicRuns;
    const Expected want = simulatorValues();
    QTemporaryDir dir;
    std::vector<Run> runs;
    for (int i = 0; i < fastRuns + classicRuns; ++i) {
        Run r;
        r.fast = i < fastRuns;
        r.seed = r.fast ? i + 1 : 1001 + i - fastRuns;
        runs.push_back(std::move(r));
    }

    // Two reads at a time, each against its own simulator: the count is the measure
    // here, not the time, and a classic read spends most of it waiting.
    QElapsedTimer clock;
    clock.start();
    for (size_t i = 0; i < runs.size(); i += 2) {
        const size_t end = std::min(runs.size(), i + 2);
        for (size_t k = i; k < end; ++k)
            if (!start(runs[k], dir.path())) {
                std::fprintf(stderr, "vx5x or vx5x-sim did not start next to this program\n");
                return 1;
            }
        for (size_t k = i; k < end; ++k) {
            finish(runs[k], want);
            if (!runs[k].complete)
                std::printf("  %s seed %4d: exit %d, %d wrong: %s\n", runs[k].fast ? "fast   " : "classic", runs[k].seed,
                            runs[k].exit, runs[k].wrong, qPrintable(runs[k].why));
        }
    }
    int fastDone = 0, classicDone = 0, wrong = 0;
    for (const Run& r : runs) {
        (r.fast ? fastDone : classicDone) += r.complete ? 1 : 0;
        wrong += r.wrong;
    }
    auto verdict = [](bool met) { return met ? "(goal met)" : "(short of the goal)"; };
    // The goals scale with a shorter run: all but one in 20 fast, every classic one.
    const int fastGoal = fastRuns == FastRuns ? FastGoal : fastRuns - fastRuns / 20;
    const int classicGoal = classicRuns == ClassicRuns ? ClassicGoal : classicRuns;
    std::printf("%-34s %2d of %d   goal %d of %d %s\n", "whole reads, fast replies, 1% noise", fastDone, fastRuns,
                fastGoal, fastRuns, verdict(fastDone >= fastGoal));
    std::printf("%-34s %2d of %d   goal %d of %d %s\n", "whole reads, classic, 1% noise", classicDone, classicRuns,
                classicGoal, classicRuns, verdict(classicDone >= classicGoal));
    std::printf("%-34s %5d   goal 0 %s\n", "wrong values in files left", wrong, verdict(wrong == 0));
    std::printf("%-34s %5.0f s\n", "time for all of them", double(clock.elapsed()) / 1000.0);
    return 0;
}
