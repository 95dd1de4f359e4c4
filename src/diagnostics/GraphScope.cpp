#include "diagnostics/GraphScope.h"
#include "params/ControllerImage.h"

#include "core/Csv.h"
#include "params/FixedPoint.h"
#include "params/ValueStore.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vx::graph {

int autoScaleItem(const qint32* waarde, int first, int last)
{
    qint64 peak = 0;
    for (int i = std::max(first, 0); i <= std::min(last, LastIndex); ++i)
        peak = std::max(peak, std::llabs(qint64(waarde[i])));
    for (std::size_t k = 0; k < YDivValues.size(); ++k)
        if (peak <= 5 * qint64(YDivValues[k]))
            return int(k);
    return int(YDivValues.size()) - 1;
}

SampleRange visibleSamples(const View& v)
{
    const int last = std::min(v.logIndex, LastIndex);
    if (last < 0) return {};
    SampleRange r;
    if (v.zoom.active) {
        r.first = nearestSample(v.tijd, last, v.zoom.t0);
        if (v.tijd[r.first] < v.zoom.t0 && r.first < last) ++r.first;
    } else {
        r.first = std::clamp(v.first, 0, last);
    }
    const Zoom z = v.zoom.active ? v.zoom : zoomFromView(v);
    const double end = timeAt(z, PlotWidth - 1);
    r.last = r.first;
    while (r.last < last && v.tijd[r.last + 1] <= end)
        ++r.last;
    return r;
}

Zoom zoomFromView(const View& v)
{
    Zoom z;
    z.active = true;
    const int last = std::max(std::min(v.logIndex, LastIndex), 0);
    z.t0 = v.tijd ? v.tijd[std::clamp(v.first, 0, last)] : 0;
    z.msPerPixel = double(std::max(v.xDivMs, 1)) / XDivPixels;
    z.vMid = 0;
    z.unitsPerPixel = double(v.yDiv == 0 ? 1 : v.yDiv) / YDivPixels;
    return z;
}

double timeAt(const Zoom& z, double x) { return z.t0 + x * z.msPerPixel; }

double valueAt(const Zoom& z, double y) { return z.vMid + (MiddleY - y) * z.unitsPerPixel; }

Zoom zoomTime(Zoom z, double x, double factor)
{
    const double t = timeAt(z, x);
    // Below a hundredth of a millisecond per pixel nothing more is to be seen.
    z.msPerPixel = std::clamp(z.msPerPixel * factor, 0.01, 1e7);
    z.t0 = t - x * z.msPerPixel;
    return z;
}

Zoom zoomValue(Zoom z, double y, double factor)
{
    const double v = valueAt(z, y);
    z.unitsPerPixel = std::clamp(z.unitsPerPixel * factor, 0.01, 1e8);
    z.vMid = v - (MiddleY - y) * z.unitsPerPixel;
    return z;
}

Zoom pan(Zoom z, double dx, double dy)
{
    z.t0 -= dx * z.msPerPixel;
    z.vMid += dy * z.unitsPerPixel;
    return z;
}

Zoom zoomToRect(Zoom z, const QRect& r)
{
    if (r.width() < 2 || r.height() < 2) return z;
    const double top = valueAt(z, r.top()), bottom = valueAt(z, r.bottom() + 1);
    z.t0 = timeAt(z, r.left());
    z.msPerPixel = std::max(0.01, z.msPerPixel * (r.width()) / PlotWidth);
    z.unitsPerPixel = std::max(0.01, (top - bottom) / PlotHeight);
    z.vMid = top - MiddleY * z.unitsPerPixel; // the top edge shows the top of the rectangle
    return z;
}

int nearestSample(const qint32* tijd, int last, double t)
{
    if (last <= 0) return 0;
    int lo = 0, hi = last;
    while (lo < hi) { // first sample at or after t
        const int mid = (lo + hi) / 2;
        if (tijd[mid] < t) lo = mid + 1;
        else hi = mid;
    }
    if (lo > 0 && t - tijd[lo - 1] <= tijd[lo] - t) return lo - 1;
    return lo;
}

qint32 graphSetting(int parameter)
{
    if (parameter < 0 || parameter >= ParCount)
        return 0;
    // The graph draws the connected controller's values: its own settings scale them,
    // never those of a set open in an editor. Offline, the open set is all there is.
    const ControllerImage* c = images::connected();
    if (!c)
        return ParWaarden[parameter];
    return c->known(transfer::Item::Parameter, parameter)
        .value_or(parameter == ParDecimalsParameter ? 0 : ParWaarden[parameter]);
}

int graphDecimals()
{
    // A damaged set's nonsense count stays a count (9 would mean "ask again" to
    // FixedToText).
    return std::clamp(int(graphSetting(ParDecimalsParameter)), 0, 8);
}

bool velocityPerMinute(int source)
{
    constexpr int TimeBase1 = 57, TimeBase2 = 77; // 0 per second, 1 per minute
    if (source == 1) return graphSetting(TimeBase1) == 1;
    if (source == 3) return graphSetting(TimeBase2) == 1;
    return false;
}

namespace {

// The second axis is in the same units as the first (the main window shows both
// with the decimals of parameter 203), so every axis value is.
int unitDecimals(int source)
{
    if (source == VoltageSource || source == CurrentSource) return 4;
    return graphDecimals();
}

} // namespace

QString scaledText(int source, qint32 raw)
{
    const int decimals = unitDecimals(source);
    return decimals == 0 ? QString::number(raw) : FixedToText(decimals, raw);
}

bool scaledValue(int source, const QString& text, qint32* raw)
{
    // The exact inverse of scaledText: a sign, the digits and, with decimals, a
    // comma followed by exactly that many digits.
    const int decimals = unitDecimals(source);
    QString digits = text.startsWith(u'-') ? text.mid(1) : text;
    if (decimals > 0) {
        const qsizetype comma = digits.indexOf(u',');
        if (comma < 1 || digits.size() - comma - 1 != decimals) return false;
        digits.remove(comma, 1);
    }
    if (digits.isEmpty() || digits.size() > 19) return false;
    for (QChar c : digits)
        if (c < u'0' || c > u'9') return false;
    bool ok = false;
    qint64 v = digits.toLongLong(&ok);
    if (!ok) return false;
    if (text.startsWith(u'-')) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    *raw = qint32(v);
    return true;
}

namespace {

QByteArray csvField(const QString& text) { return csv::field(text).toUtf8(); }

} // namespace

QByteArray samplesCsv(const CsvChannel* channels, int count, int logIndex)
{
    // The first two columns are what the CSV always held; each channel adds its
    // value in units (quoted where it has a decimal comma) under a header naming source,
    // unit and scale, and the second channel its own sample times.
    QByteArray out;
    for (int c = 0; c < count; ++c) {
        const CsvChannel& ch = channels[c];
        const QByteArray n = c ? QByteArray::number(c + 1) : QByteArray();
        if (c) out += ',';
        out += "time" + n + "_ms,value" + n + ',' + csvField(ch.name + u' ' + unitText(ch.source) + u' ' + scaledText(ch.source, ch.yDiv) + QStringLiteral("/div"));
    }
    out += '\n';
    for (int i = 0; i <= std::min(logIndex, LastIndex); ++i) {
        for (int c = 0; c < count; ++c) {
            const CsvChannel& ch = channels[c];
            if (c) out += ',';
            out += QByteArray::number(ch.tijd[i]) + ',' + QByteArray::number(ch.waarde[i]) + ','
                   + csvField(scaledText(ch.source, ch.waarde[i]));
        }
        out += '\n';
    }
    return out;
}

} // namespace vx::graph
