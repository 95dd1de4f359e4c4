// Redrawing the whole plot of a full log: must stay well under the fastest
// reply interval of the line, since every reply redraws it.
#include "diagnostics/GraphPlot.h"
#include "diagnostics/GraphScope.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

using namespace vx::graph;

namespace {

struct Case {
    const char* name;
    int msPerSample; // spacing of the sample times
    int xDiv;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::array<qint32, BufferSize> waarde{};
    std::array<qint32, BufferSize> tijd{};
    QImage plot(PlotWidth, PlotHeight, QImage::Format_RGB32);
    QImage strip(TimeStripWidth, TimeStripHeight, QImage::Format_RGB32);
    const Style style{QColor(240, 240, 240), QFont()};

    // All 4001 samples inside the view (fast line), and a view that ends mid-buffer.
    const Case cases[] = {{"all samples visible", 1, 10000}, {"view of 2 s at 200 ms", 3, 200}};
    for (const Case& c : cases) {
        for (int i = 0; i < BufferSize; ++i) {
            tijd[std::size_t(i)] = i * c.msPerSample;
            waarde[std::size_t(i)] = qint32(std::lround(150000 * std::sin(i / 40.0))) + (i % 7) * 900;
        }
        View v;
        v.waarde = waarde.data();
        v.tijd = tijd.data();
        v.logIndex = LastIndex;
        v.first = 0;
        v.xDivMs = c.xDiv;
        v.yDiv = 50000;
        v.xHulplijn = v.yHulplijn = true;
        constexpr int Runs = 300;
        double total = 0, worst = 0;
        for (int r = 0; r < Runs; ++r) {
            QElapsedTimer t;
            t.start();
            drawGraph(plot, strip, v, style);
            const double ms = double(t.nsecsElapsed()) / 1e6;
            total += ms;
            worst = std::max(worst, ms);
        }
        std::printf("%-24s mean %.3f ms  worst %.3f ms  (goal < 2 ms)\n", c.name, total / Runs, worst);
    }

    // The scope views: zoomed into the middle, and two channels of 4001 samples.
    std::array<qint32, BufferSize> waarde2{};
    std::array<qint32, BufferSize> tijd2{};
    for (int i = 0; i < BufferSize; ++i) {
        tijd[std::size_t(i)] = i * 3;
        tijd2[std::size_t(i)] = i * 3 + 1;
        waarde2[std::size_t(i)] = qint32(std::lround(90000 * std::cos(i / 25.0)));
    }
    auto timeIt = [&](const char* name, const char* goal, auto&& run) {
        constexpr int Runs = 300;
        double total = 0, worst = 0;
        for (int r = 0; r < Runs; ++r) {
            QElapsedTimer t;
            t.start();
            run();
            const double ms = double(t.nsecsElapsed()) / 1e6;
            total += ms;
            worst = std::max(worst, ms);
        }
        std::printf("%-24s mean %.3f ms  worst %.3f ms  (goal < %s)\n", name, total / Runs, worst, goal);
    };
    View v;
    v.waarde = waarde.data();
    v.tijd = tijd.data();
    v.logIndex = LastIndex;
    v.xDivMs = 2000;
    v.yDiv = 50000;
    v.xHulplijn = v.yHulplijn = true;
    View zoomed = v;
    zoomed.zoom = zoomTime(zoomFromView(v), 300, 0.2);
    timeIt("zoomed view", "2 ms", [&] { drawGraph(plot, strip, zoomed, style); });
    View two = v;
    two.xDivMs = 10000; // every sample of both channels in view
    two.waarde2 = waarde2.data();
    two.tijd2 = tijd2.data();
    two.yDiv2 = 20000;
    timeIt("two channels, 4001 each", "2 ms", [&] { drawGraph(plot, strip, two, style); });
    volatile int sink = 0;
    timeIt("autoscale 4001 samples", "0.2 ms", [&] { sink = sink + autoScaleItem(waarde.data(), 0, LastIndex); });
    return 0;
}
