// 592 "rp"/"rs" exchanges against vx5x-sim over a pseudo-terminal at 38400 8O1, with
// the pause rule and with fast replies: time per exchange against the floor the line
// (and the end-of-reply pause) allow, how busy the UI thread is meanwhile, and where
// an exchange's time goes (request written, first and last byte, caller told).
#include "BenchSim.h"
#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "comm/SXCommThread.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

using namespace vx;

namespace {

struct Mark {
    int64_t v[6];
    static Mark now()
    {
        const TSXCommThread::Timing& t = TSXCommThread::timing();
        return {{t.exchanges, t.writtenNs, t.firstByteNs, t.lastByteNs, t.handedOverNs, t.callerNs}};
    }
};

// One pass over every value; false when the port could not be used.
int run(QApplication& app, TPX400Protocol& c, bool fast)
{
    c.setEndAtLineEnd(fast);
    const double ch = bench::charSeconds(38400, 8, true, 1);
    const double latency = 0.002, endPause = fast ? 0.0 : 0.050;
    QStringList requests{"sc 0"};
    for (int p = 0; p < 512; ++p)
        requests << QStringLiteral("rp %1").arg(p);
    for (int s = 1; s <= 80; ++s)
        requests << QStringLiteral("rs %1").arg(s);

    int next = 0, failures = 0;
    double floor = 0;
    auto sendNext = [&] {
        c.setASCIIProtocol(requests[next]);
        c.Send();
    };
    c.OnCommResult = [&](TSXProtocolComponent*, const QByteArray& reply) {
        if (next > 0)
            floor += double(requests[next].size() + 1 + reply.size()) * ch + latency + endPause;
        if (++next == requests.size())
            app.quit();
        else
            sendNext();
    };
    c.OnCommError = [&](TSXProtocolComponent*, const TCommError&, const QByteArray&) {
        ++failures;
        if (++next == requests.size())
            app.quit();
        else
            sendNext();
    };
    sendNext();
    // The first exchange selects the unit; time the 592 after it.
    while (next < 1)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double cpu0 = bench::threadCpuSeconds();
    const Mark m0 = Mark::now();
    QElapsedTimer timer;
    timer.start();
    app.exec();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const double uiCpu = bench::threadCpuSeconds() - cpu0;
    const Mark m1 = Mark::now();

    const int n = int(requests.size()) - 1;
    std::printf("%s\n", fast ? "fast replies (end at the line end)" : "pause rule (50 ms after the line end)");
    std::printf("  exchanges:             %d (%d failed)\n", n, failures);
    std::printf("  measured per exchange: %.2f ms\n", seconds * 1000 / n);
    std::printf("  floor per exchange:    %.2f ms (characters + %.0f ms latency + %.0f ms end-of-reply pause)\n",
                floor * 1000 / n, latency * 1000, endPause * 1000);
    std::printf("  ratio:                 %.3f (goal <= 1.05)\n", seconds / floor);
    std::printf("  UI thread busy:        %.1f %% of a core (goal < 5 %%)\n", 100 * uiCpu / seconds);
    const double k = double(m1.v[0] - m0.v[0]);
    if (k > 0) {
        const auto ms = [&](int i) { return double(m1.v[i] - m0.v[i]) / 1e6 / k; };
        const double written = ms(1), first = ms(2), last = ms(3), told = ms(4), caller = ms(5);
        std::printf("  per exchange, from the worker taking it: request written %.3f ms, first byte %.3f ms,\n"
                    "    last byte %.3f ms, caller told %.3f ms; next request taken %.3f ms after that\n",
                    written, first, last, told, caller);
        if (fast)
            std::printf("  not the line's:        %.3f ms per exchange (writing %.3f + hand-over %.3f + caller %.3f)\n",
                        written + (told - last) + caller, written, told - last, caller);
        else
            std::printf("  last byte to caller:   %.3f ms (the end-of-reply pause and the hand-over)\n", told - last);
    }
    return failures;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    bench::SimProcess sim;
    if (!sim.start({"--unit", "0:VX50:38400:8O1", "--no-demo"})) {
        std::fprintf(stderr, "could not start vx5x-sim\n");
        return 1;
    }
    setPortDevicePath(1, sim.pty.toStdString());
    TSXComm port;
    port.setBaudrate(TBaudrate::br38400);
    port.setFrameParitybit(TParityBit::Odd);
    port.Open();

    TPX400Protocol c;
    c.setSXComm(&port);
    c.setProtocolFoot(TSequenceChar::scCR);
    int failures = 0;
    for (const bool fast : {false, true})
        failures += run(app, c, fast);
    port.Close();
    return failures ? 2 : 0;
}
