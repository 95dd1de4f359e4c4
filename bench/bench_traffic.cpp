// The traffic capture: cost per exchange on the worker side, the buffer's memory when
// full, and the traffic window taking in a full buffer.
#include "comm/SXComm.h"
#include "comm/TrafficBuffer.h"
#include "diagnostics/FormVerkeer.h"
#include "diagnostics/TrafficModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <unistd.h>

using namespace vx;

namespace {

// Requests and replies as the whole-set read and the live monitor send them, with a
// long identification reply now and then.
struct Sample {
    std::string request, reply;
};

std::vector<Sample> samples()
{
    std::vector<Sample> s;
    for (int n = 0; n < 512; ++n)
        s.push_back({"rp " + std::to_string(n) + "\r", "rp " + std::to_string(n) + " " + std::to_string(n * 37) + "\r\n"});
    s.push_back({"r0\r", "r0 -1234567\r\n"});
    s.push_back({"rt\r", "rt VX50 V2.04 firmware build 2026-11-30 special\r\n"});
    return s;
}

void fill(TrafficBuffer& b, const std::vector<Sample>& s, size_t count, uint16_t source)
{
    for (size_t i = 0; i < count; ++i) {
        const Sample& x = s[i % s.size()];
        TrafficBuffer::Exchange e;
        e.source = source;
        e.wall = std::chrono::system_clock::now();
        e.start = std::chrono::steady_clock::now();
        e.end = e.start + std::chrono::milliseconds(9);
        e.request = reinterpret_cast<const uint8_t*>(x.request.data());
        e.requestSize = x.request.size();
        e.reply = reinterpret_cast<const uint8_t*>(x.reply.data());
        e.replySize = x.reply.size();
        b.capture(e);
    }
}

double residentMb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const auto s = samples();

    // Memory of a full buffer (first, so the resident figure counts fresh pages).
    {
        const double before = residentMb();
        auto b = std::make_unique<TrafficBuffer>();
        fill(*b, s, TrafficBuffer::DefaultCapacity, 1);
        std::printf("buffer of %zu exchanges  %.1f MB counted, %.1f MB resident   (goal < 50 MB)\n", b->size(),
                    double(b->memoryBytes()) / (1024.0 * 1024.0), residentMb() - before);
    }

    // Capture cost, with a reader pulling batches beside it as the window does.
    {
        TrafficBuffer b;
        const uint16_t src = b.sourceId(QStringLiteral("PX400LeesParSoll"));
        fill(b, s, TrafficBuffer::DefaultCapacity, src); // the buffer full: the steady state
        std::atomic<bool> stop{false};
        std::thread reader([&] {
            uint64_t next = 0;
            std::vector<TrafficRecord> got;
            while (!stop) {
                got.clear();
                b.read(next, 20000, got);
                if (!got.empty())
                    next = got.back().seq + 1;
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
        });
        constexpr size_t Count = 1000000;
        QElapsedTimer t;
        t.start();
        fill(b, s, Count, src);
        const double us = double(t.nsecsElapsed()) / 1e3 / double(Count);
        stop = true;
        reader.join();
        std::printf("capture per exchange      %.3f us   (goal < 5 us)\n", us);
    }

    // The window taking in a full buffer: pull, rows inserted, laid out and painted.
    {
        TSXComm port;
        fill(port.traffic(), s, TrafficBuffer::DefaultCapacity, port.traffic().sourceId(QStringLiteral("PX400LeesParSoll")));
        TFormVerkeer w(&port);
        w.CheckVerbergCyclisch->setChecked(false);
        QElapsedTimer t;
        t.start();
        w.show(); // takes in what the port holds
        QApplication::processEvents();
        w.TableVerkeer->grab();
        const double ms = double(t.nsecsElapsed()) / 1e6;
        std::printf("window filling %d rows  %.1f ms   (goal < 200 ms)\n", w.model()->rowCount(), ms);
        t.restart();
        w.CheckAlleenFouten->setChecked(true);
        w.CheckAlleenFouten->setChecked(false);
        QApplication::processEvents();
        std::printf("filter on and off         %.1f ms\n", double(t.nsecsElapsed()) / 1e6);
        std::fflush(stdout);
    }
    return 0;
}
