#include "diagnostics/GraphPlot.h"

#include "params/FixedPoint.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>

namespace vx::graph {

namespace {

const QColor White(255, 255, 255);
const QColor Black(0, 0, 0);
const QColor Blue(0, 0, 255);

// Curve points far outside are cut to this box so the painter never sees huge coordinates.
constexpr double ClipLeft = -2, ClipTop = -2, ClipRight = PlotWidth + 2, ClipBottom = PlotHeight + 2;

bool clipLine(double& x0, double& y0, double& x1, double& y1)
{
    double t0 = 0, t1 = 1;
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - ClipLeft, ClipRight - x0, y0 - ClipTop, ClipBottom - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0) t0 = std::max(t0, r);
        else t1 = std::min(t1, r);
        if (t0 > t1) return false;
    }
    const double ox = x0, oy = y0;
    if (t1 < 1) {
        x1 = ox + t1 * dx;
        y1 = oy + t1 * dy;
    }
    if (t0 > 0) {
        x0 = ox + t0 * dx;
        y0 = oy + t0 * dy;
    }
    return true;
}

bool inBox(qint64 x, qint64 y)
{
    const auto fx = double(x), fy = double(y); // pixel coordinates: far inside double's range
    return fx >= ClipLeft && fx <= ClipRight && fy >= ClipTop && fy <= ClipBottom;
}

void frameAndMiddle(QPainter& p, const View& v)
{
    p.fillRect(1, 1, PlotWidth - 2, PlotHeight - 2, White);
    p.setPen(Black);
    p.drawRect(0, 0, PlotWidth - 1, PlotHeight - 1);
    p.drawLine(0, MiddleY, PlotWidth - 1, MiddleY);
    if (v.yHulplijn) {
        p.setPen(QPen(Black, 1, Qt::DotLine));
        for (int y = MiddleY + YDivPixels; y < PlotHeight; y += YDivPixels) p.drawLine(1, y, 600, y);
        for (int y = MiddleY - YDivPixels; y > 0; y -= YDivPixels) p.drawLine(1, y, 600, y);
        p.setPen(Black);
    }
}

void timeAxis(QPainter& plot, QImage& strip, qint32 t0, const View& v, const Style& s)
{
    strip.fill(s.face);
    QPainter p(&strip);
    p.setFont(s.font);
    p.setPen(Black);
    const QFontMetrics fm(s.font);
    for (const Tick& t : timeTicks(t0, v.xDivMs)) {
        p.drawLine(t.x + 20, 0, t.x + 20, 9);
        p.drawText(QPoint(t.x + 10, 10 + fm.ascent()), t.label);
        // With a view from 0 the outermost ticks coincide with the frame.
        if (v.xHulplijn && (t0 != 0 || (t.x > 0 && t.x < 600))) {
            plot.setPen(QPen(Black, 1, Qt::DotLine));
            plot.drawLine(t.x, 1, t.x, 408);
        }
    }
    plot.setPen(Black);
}

} // namespace

QStringList xDivItems()
{
    return {QStringLiteral("200 ms"), QStringLiteral("500 ms"), QStringLiteral("1 sec"),
            QStringLiteral("2 sec"), QStringLiteral("5 sec"), QStringLiteral("10 sec")};
}

QStringList yDivItems()
{
    QStringList items;
    for (qint32 d : YDivValues) items << QString::number(d);
    return items;
}

qint64 sampleX(qint32 time, qint32 t0, int xDivMs)
{
    return (qint64(time) - qint64(t0)) * XDivPixels / std::max(xDivMs, 1);
}

qint64 sampleY(qint32 value, qint32 yDiv)
{
    return MiddleY - qint64(value) * YDivPixels / (yDiv == 0 ? 1 : qint64(yDiv));
}

int firstSample(bool autoScroll, bool logging, int logIndex, int scrollPos, int xDivMs)
{
    const int newest = std::clamp(logIndex, 0, LastIndex);
    const int s = autoScroll && logging ? logIndex - xDivMs / 8 : scrollPos;
    return std::clamp(s, 0, newest);
}

QList<Tick> timeTicks(qint32 t0, int xDivMs)
{
    const qint64 x = std::max(xDivMs, 1);
    QList<Tick> ticks;
    qint64 px, t;
    if (t0 == 0) {
        px = 0;
        t = 0;
    } else {
        px = 60 - ((qint64(t0) * 60 / x) % 60);
        t = (qint64(t0) / x + 1) * x;
    }
    for (; px < PlotWidth; px += XDivPixels, t += x)
        ticks.append({int(px), FixedToText(1, qint32(t / 100))});
    return ticks;
}

void drawEmpty(QImage& plot, QImage& timeStrip, const View& v, const Style& s)
{
    QPainter p(&plot);
    frameAndMiddle(p, v);
    timeAxis(p, timeStrip, 0, v, s);
}

void drawGraph(QImage& plot, QImage& timeStrip, const View& v, const Style& s)
{
    QPainter p(&plot);
    frameAndMiddle(p, v);
    const int last = std::min(v.logIndex, LastIndex);
    const int first = std::clamp(v.first, 0, std::max(last, 0));
    const qint32 t0 = v.tijd[first];
    timeAxis(p, timeStrip, t0, v, s);
    if (last < 1) return;

    p.setPen(Blue);
    QPolygon run; // consecutive points that need no clipping
    auto flush = [&] {
        if (run.size() > 1) p.drawPolyline(run);
        run.clear();
    };
    qint64 px = sampleX(v.tijd[first], t0, v.xDivMs);
    qint64 py = sampleY(v.waarde[first], v.yDiv);
    for (int i = first + 1; i <= last; ++i) {
        const qint64 x = sampleX(v.tijd[i], t0, v.xDivMs);
        const qint64 y = sampleY(v.waarde[i], v.yDiv);
        if (inBox(px, py) && inBox(x, y)) {
            if (run.isEmpty()) run << QPoint(int(px), int(py));
            run << QPoint(int(x), int(y));
        } else {
            flush();
            double x0 = double(px), y0 = double(py), x1 = double(x), y1 = double(y);
            if (clipLine(x0, y0, x1, y1))
                p.drawLine(QPoint(int(std::lround(x0)), int(std::lround(y0))),
                           QPoint(int(std::lround(x1)), int(std::lround(y1))));
        }
        px = x;
        py = y;
        if (x > PlotWidth) break;
    }
    flush();
    p.setPen(Black);
}

QString unitText(int source)
{
    if (source == VoltageSource) return QStringLiteral("(V)");
    if (source == CurrentSource) return QStringLiteral("(mA)");
    if (source >= 0 && source < VoltageSource) return QStringLiteral("(AWE)");
    return {};
}

QStringList valueAxisLabels(int source, qint32 yDiv)
{
    const bool fixed = source == VoltageSource || source == CurrentSource;
    const qint64 step = fixed ? yDiv / 10000 : yDiv;
    const bool plain = source == 2 || source == 3;
    QStringList labels;
    for (int k = 5; k >= -5; --k) {
        const qint64 l = k * step;
        const qint32 v = qint32(std::clamp<qint64>(l, INT32_MIN, INT32_MAX));
        labels << (v == 0 || plain ? QString::number(v) : FixedToText(9, v));
    }
    return labels;
}

void drawValueAxis(QImage& strip, int source, qint32 yDiv, const Style& s)
{
    strip.fill(s.face);
    QPainter p(&strip);
    p.setPen(Black);
    p.setFont(s.font);
    const QFontMetrics fm(s.font);
    const QStringList labels = valueAxisLabels(source, yDiv);
    for (int i = 0, r = 0; r < PlotHeight; ++i, r += YDivPixels) {
        p.drawLine(70, r + 10, 79, r + 10);
        const QString& text = labels.at(i);
        const int x = std::max(0, 80 - 12 - fm.horizontalAdvance(text));
        p.drawText(QPoint(x, r + 4 + fm.ascent()), text);
    }
    p.drawText(QPoint(10, 204 + fm.ascent()), unitText(source));
}

} // namespace vx::graph
