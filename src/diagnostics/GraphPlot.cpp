#include "diagnostics/GraphPlot.h"

#include "diagnostics/GraphScope.h"
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
    if (v.zoom.active) {
        const double zeroY = MiddleY + v.zoom.vMid / v.zoom.unitsPerPixel;
        if (zeroY > 0 && zeroY < PlotHeight - 1)
            p.drawLine(0, int(std::lround(zeroY)), PlotWidth - 1, int(std::lround(zeroY)));
        if (v.yHulplijn) {
            p.setPen(QPen(Black, 1, Qt::DotLine));
            for (const Tick& t : zoomValueTicks(v.zoom, 0))
                p.drawLine(1, t.x, 600, t.x);
            p.setPen(Black);
        }
        return;
    }
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
    const bool zoomed = v.zoom.active;
    for (const Tick& t : zoomed ? zoomTimeTicks(v.zoom) : timeTicks(t0, v.xDivMs)) {
        p.drawLine(t.x + 20, 0, t.x + 20, 9);
        p.drawText(QPoint(t.x + 10, 10 + fm.ascent()), t.label);
        // With a view from 0 the outermost ticks coincide with the frame.
        if (v.xHulplijn && (zoomed || t0 != 0 || (t.x > 0 && t.x < 600))) {
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

namespace {

// Draws the lines between samples first .. last, each placed by at(i) in plot
// pixels; stops after the first line that ends right of the plot.
template <typename At>
void drawCurve(QPainter& p, int first, int last, const QColor& colour, At at)
{
    p.setPen(colour);
    QPolygon run; // consecutive points that need no clipping
    auto flush = [&] {
        if (run.size() > 1) p.drawPolyline(run);
        run.clear();
    };
    auto [px, py] = at(first);
    for (int i = first + 1; i <= last; ++i) {
        const auto [x, y] = at(i);
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

// Pixels of a zoomed view, kept inside a range the clipping handles exactly.
qint64 zoomPixel(double p) { return qint64(std::llround(std::clamp(p, -1e9, 1e9))); }

// Last sample at or before time t (the curve enters the plot from the left).
int sampleBefore(const qint32* tijd, int last, double t)
{
    int lo = 0, hi = last;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (tijd[mid] <= t) lo = mid;
        else hi = mid - 1;
    }
    return lo;
}

} // namespace

void drawGraph(QImage& plot, QImage& timeStrip, const View& v, const Style& s)
{
    QPainter p(&plot);
    frameAndMiddle(p, v);
    const int last = std::min(v.logIndex, LastIndex);
    const int first = std::clamp(v.first, 0, std::max(last, 0));
    const qint32 t0 = v.tijd[first];
    timeAxis(p, timeStrip, t0, v, s);
    if (last < 1) return;

    if (v.zoom.active) {
        auto curve = [&](const qint32* tijd, const qint32* waarde, const Zoom& z, const QColor& colour) {
            drawCurve(p, sampleBefore(tijd, last, z.t0), last, colour, [&](int i) {
                return std::pair{zoomPixel((tijd[i] - z.t0) / z.msPerPixel),
                                 zoomPixel(MiddleY - (waarde[i] - z.vMid) / z.unitsPerPixel)};
            });
        };
        if (v.waarde2 && v.tijd2) curve(v.tijd2, v.waarde2, channel2Zoom(v.zoom, v.yDiv, v.yDiv2), Channel2Colour);
        curve(v.tijd, v.waarde, v.zoom, Channel1Colour);
        return;
    }
    if (v.waarde2 && v.tijd2)
        drawCurve(p, first, last, Channel2Colour, [&](int i) {
            return std::pair{sampleX(v.tijd2[i], t0, v.xDivMs), sampleY(v.waarde2[i], v.yDiv2)};
        });
    drawCurve(p, first, last, Channel1Colour, [&](int i) {
        return std::pair{sampleX(v.tijd[i], t0, v.xDivMs), sampleY(v.waarde[i], v.yDiv)};
    });
}

double niceStep(double minStep)
{
    if (!(minStep > 0)) return 1;
    double step = std::pow(10.0, std::floor(std::log10(minStep)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (step * m >= minStep * (1 - 1e-9)) return step * m;
    return step * 10;
}

QList<Tick> zoomTimeTicks(const Zoom& z)
{
    const double step = niceStep(50 * z.msPerPixel);
    // Seconds with one decimal as the design writes them, more when the step is finer.
    const int decimals = step >= 100 ? 1 : step >= 10 ? 2
                                                      : 3;
    const double unit = std::pow(10.0, 3 - decimals);
    QList<Tick> ticks;
    for (double t = std::ceil(z.t0 / step) * step;; t += step) {
        const double x = (t - z.t0) / z.msPerPixel;
        if (x >= PlotWidth || ticks.size() > PlotWidth) break;
        ticks.append({int(std::lround(x)), FixedToText(decimals, qint32(std::llround(std::clamp(t / unit, -2e9, 2e9))))});
    }
    return ticks;
}

QList<Tick> zoomValueTicks(const Zoom& z, int source)
{
    const double step = niceStep(std::max(1.0, 40 * z.unitsPerPixel));
    const double top = z.vMid + MiddleY * z.unitsPerPixel;
    QList<Tick> ticks;
    for (double v = std::floor(top / step) * step;; v -= step) {
        const double y = MiddleY - (v - z.vMid) / z.unitsPerPixel;
        if (y >= PlotHeight - 1 || ticks.size() > PlotHeight) break;
        if (y > 0) ticks.append({int(std::lround(y)), scaledText(source, qint32(std::llround(std::clamp(v, -2e9, 2e9))))});
    }
    return ticks;
}

QString unitText(int source)
{
    if (source == VoltageSource) return QStringLiteral("(V)");
    if (source == CurrentSource) return QStringLiteral("(mA)");
    // Velocities count positions per second or per minute, as their axis' time base says.
    if (source == 1 || source == 3)
        return velocityPerMinute(source) ? QStringLiteral("(AWE/min)") : QStringLiteral("(AWE/s)");
    if (source >= 0 && source < VoltageSource) return QStringLiteral("(AWE)");
    return {};
}

QStringList valueAxisLabels(int source, qint32 yDiv)
{
    // Volts and milliamperes in whole units: their fixed scales are whole volts and
    // milliamperes a division, whatever the decimals of positions.
    const bool fixed = source == VoltageSource || source == CurrentSource;
    const qint64 step = fixed ? yDiv / 10000 : yDiv;
    QStringList labels;
    for (int k = 5; k >= -5; --k) {
        const qint32 v = qint32(std::clamp<qint64>(k * step, INT32_MIN, INT32_MAX));
        labels << (v == 0 || fixed ? QString::number(v) : scaledText(source, v));
    }
    return labels;
}

bool sharesAxis(int source1, qint32 yDiv1, int source2, qint32 yDiv2)
{
    return yDiv1 == yDiv2 && unitText(source1) == unitText(source2)
           && scaledText(source1, yDiv1) == scaledText(source2, yDiv2);
}

Zoom channel2Zoom(const Zoom& z, qint32 yDiv1, qint32 yDiv2)
{
    const double ratio = double(yDiv2) / double(yDiv1 == 0 ? 1 : yDiv1);
    Zoom z2 = z;
    z2.vMid *= ratio;
    z2.unitsPerPixel *= ratio;
    return z2;
}

void drawValueAxis(QImage& strip, int source, qint32 yDiv, const Style& s, const Zoom& zoom, const AxisLook& look)
{
    strip.fill(s.face);
    QPainter p(&strip);
    p.setPen(look.colour);
    p.setFont(s.font);
    const QFontMetrics fm(s.font);
    // A left axis has its ticks at the strip's right edge and labels right-aligned
    // before them; a right axis the mirror image.
    auto tick = [&](int y) {
        if (look.right) p.drawLine(0, y, 9, y);
        else p.drawLine(70, y, 79, y);
    };
    auto labelX = [&](const QString& text) {
        const int w = fm.horizontalAdvance(text);
        return look.right ? std::max(0, std::min(12, ValueStripWidth - w)) : std::max(0, 80 - 12 - w);
    };
    const QString unit = unitText(source);
    const int unitX = look.right ? std::max(0, ValueStripWidth - 2 - fm.horizontalAdvance(unit)) : 10;
    if (zoom.active) {
        // Plot row y is strip row y + 6.
        for (const Tick& t : zoomValueTicks(zoom, source)) {
            tick(t.x + 6);
            p.drawText(QPoint(labelX(t.label), t.x + fm.ascent() / 2 + 6), t.label);
        }
        p.drawText(QPoint(unitX, 204 + fm.ascent()), unit);
        return;
    }
    const QStringList labels = valueAxisLabels(source, yDiv);
    for (int i = 0, r = 0; r < PlotHeight; ++i, r += YDivPixels) {
        tick(r + 10);
        const QString& text = labels.at(i);
        p.drawText(QPoint(labelX(text), r + 4 + fm.ascent()), text);
    }
    p.drawText(QPoint(unitX, 204 + fm.ascent()), unit);
}

} // namespace vx::graph
