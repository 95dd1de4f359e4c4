#pragma once
// The logging graph's drawing: a pure function of the sample buffer and the view,
// drawn into images, so the window only shows them and tests can read pixels.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>
#include <array>

namespace vx::graph {

inline constexpr int BufferSize = 4001; // samples 0 .. 4000
inline constexpr int LastIndex = BufferSize - 1;

// Plot, time strip (its x = plot x + 20) and value strip (its y = plot y + 6).
inline constexpr int PlotWidth = 601, PlotHeight = 409;
inline constexpr int TimeStripWidth = 653, TimeStripHeight = 25;
inline constexpr int ValueStripWidth = 80, ValueStripHeight = 419;
inline constexpr int MiddleY = 204;
inline constexpr int XDivPixels = 60, YDivPixels = 40;

// Time per division in ms, value per division in stored units, by list position.
inline constexpr std::array<int, 6> XDivMs{200, 500, 1000, 2000, 5000, 10000};
inline constexpr std::array<qint32, 21> YDivValues{
    100, 200, 500, 1000, 2000, 5000, 10000, 20000, 40000, 50000, 100000, 200000, 500000,
    1000000, 2000000, 5000000, 10000000, 20000000, 50000000, 100000000, 200000000};
QStringList xDivItems();
QStringList yDivItems();

inline constexpr int SourceCount = 7;
// Voltage and current fix the value scale to these list positions.
inline constexpr int VoltageSource = 5, CurrentSource = 6;
inline constexpr int VoltageYItem = 7, CurrentYItem = 8;

// Pixel of a sample; products in 64 bits so no value or scale overflows.
qint64 sampleX(qint32 time, qint32 t0, int xDivMs);
qint64 sampleY(qint32 value, qint32 yDiv);

// First shown sample: with auto-scroll during a log the newest minus X div 8
// samples, otherwise the scroll position; always inside 0 .. max(logIndex, 0).
int firstSample(bool autoScroll, bool logging, int logIndex, int scrollPos, int xDivMs);

// A view the user zoomed or panned: any time span and value range instead of the
// lists' scales. Inactive, the design's view is drawn exactly as before.
struct Zoom {
    bool active = false;
    double t0 = 0;             // time at the plot's left edge, ms
    double msPerPixel = 1;     // time per pixel
    double vMid = 0;           // channel 1 value on the middle line
    double unitsPerPixel = 25; // channel 1 value per pixel
};

struct View {
    const qint32* waarde = nullptr; // BufferSize values
    const qint32* tijd = nullptr;   // BufferSize times in ms
    int logIndex = -1;              // newest sample
    int first = 0;                  // first shown sample
    int xDivMs = 1000;
    qint32 yDiv = 1000;
    bool xHulplijn = false;
    bool yHulplijn = false;
    // The second channel, drawn in its own colour with its own scale when set.
    const qint32* waarde2 = nullptr;
    const qint32* tijd2 = nullptr;
    qint32 yDiv2 = 1000;
    Zoom zoom;
};

struct Style {
    QColor face;
    QFont font;
};

// Fresh plot after opening: white, framed, middle line, value guides, and the
// time axis of a view starting at 0.
void drawEmpty(QImage& plot, QImage& timeStrip, const View& v, const Style& s);
// The whole visible graph for the view.
void drawGraph(QImage& plot, QImage& timeStrip, const View& v, const Style& s);

// Value axis labels from top to bottom (eleven) and the unit text of a source.
QStringList valueAxisLabels(int source, qint32 yDiv);
QString unitText(int source);

// Where a value axis stands: left of the plot (ticks at the strip's right edge) or
// right of it, and the colour of its curve when two axes are drawn.
struct AxisLook {
    bool right = false;
    QColor colour{0, 0, 0};
};
void drawValueAxis(QImage& strip, int source, qint32 yDiv, const Style& s, const Zoom& zoom = {},
                   const AxisLook& look = {});
// The second channel reads against an axis of its own unless it has the first's
// unit and scale: then one axis serves both.
bool sharesAxis(int source1, qint32 yDiv1, int source2, qint32 yDiv2);
// The zoom of the second channel's axis: the first channel's view in its scale.
Zoom channel2Zoom(const Zoom& z, qint32 yDiv1, qint32 yDiv2);

// Time axis ticks (x in the plot) and their labels for a view starting at t0.
struct Tick {
    int x;
    QString label;
};
QList<Tick> timeTicks(qint32 t0, int xDivMs);
// Ticks of a zoomed view: a round step (1, 2, 5 times a power of ten) at least
// 50 pixels apart, labelled in seconds with as many decimals as the step needs.
QList<Tick> zoomTimeTicks(const Zoom& z);
// Value axis of a zoomed view for a source: ticks (y in the plot) and labels.
QList<Tick> zoomValueTicks(const Zoom& z, int source);
// A round step of at least minStep: 1, 2 or 5 times a power of ten.
double niceStep(double minStep);

inline const QColor Channel1Colour(0, 0, 255);
inline const QColor Channel2Colour(200, 0, 0);

} // namespace vx::graph
