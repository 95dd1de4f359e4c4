#pragma once
// What turns the logging graph into a scope: auto scale, zoom and pan on the stored
// samples, cursor read-outs and values in their units. Pure functions of the sample
// buffer and the view, so tests check them without a window.
#include "diagnostics/GraphPlot.h"

#include <QByteArray>
#include <QRect>
#include <QString>

namespace vx::graph {

// Smallest value scale (list position) that keeps samples first .. last inside the
// labelled five divisions above and below the middle line; the largest scale when
// none does.
int autoScaleItem(const qint32* waarde, int first, int last);

// Samples a view shows: from its first sample up to the last one whose time lies
// inside the plot.
struct SampleRange {
    int first = 0;
    int last = -1;
};
SampleRange visibleSamples(const View& v);

// The design's view as a free zoom: left edge and scales taken from the lists.
Zoom zoomFromView(const View& v);
// Time zoom by factor (>1 widens the span) keeping the time at plot x fixed.
Zoom zoomTime(Zoom z, double x, double factor);
// Value zoom by factor keeping the value at plot y fixed.
Zoom zoomValue(Zoom z, double y, double factor);
// Dragging the plot by (dx, dy) pixels.
Zoom pan(Zoom z, double dx, double dy);
// The rectangle (plot pixels) becomes the whole plot.
Zoom zoomToRect(Zoom z, const QRect& r);
// Time and value at a plot pixel.
double timeAt(const Zoom& z, double x);
double valueAt(const Zoom& z, double y);

// Index of the sample nearest to time t among 0 .. last (times never fall).
int nearestSample(const qint32* tijd, int last, double t);

// The controller settings the graph's units follow. graphSetting() is the one
// place the graph reads them, so where they come from is decided there alone.
qint32 graphSetting(int parameter);
// Decimals of positions, velocities and their difference (parameter 203).
int graphDecimals();
// A velocity source counting per minute (its axis' time base), else per second.
bool velocityPerMinute(int source);

// A raw value in its units: graphDecimals() for both axes' positions and velocities
// and their difference, volts and milliamperes with four decimals (the controller
// sends tenths of a millivolt / microampere).
QString scaledText(int source, qint32 raw);
// Reads back what scaledText wrote; false when the text is not such a value.
bool scaledValue(int source, const QString& text, qint32* raw);

// One channel for the CSV: its source name, the samples and its scale.
struct CsvChannel {
    QString name;
    int source = 0;
    const qint32* waarde = nullptr;
    const qint32* tijd = nullptr;
    qint32 yDiv = 0;
};
// A header line, then one line a sample: for each channel its time, raw value and
// value in units (the header names source, unit and scale).
QByteArray samplesCsv(const CsvChannel* channels, int count, int logIndex);

} // namespace vx::graph
