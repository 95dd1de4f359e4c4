// Logging graph drawing: pixel positions of curve, axes and labels.
#include "diagnostics/GraphPlot.h"
#include "diagnostics/GraphScope.h"
#include "params/ValueStore.h"

#include <QCryptographicHash>
#include <QtTest>
#include <array>
#include <cmath>

using namespace vx;
using namespace vx::graph;

namespace {

const QColor Blue(0, 0, 255);
const QColor Black(0, 0, 0);

struct Buffer {
    std::array<qint32, BufferSize> waarde{};
    std::array<qint32, BufferSize> tijd{};
    View view(int logIndex, int first, int xDiv, qint32 yDiv) const
    {
        View v;
        v.waarde = waarde.data();
        v.tijd = tijd.data();
        v.logIndex = logIndex;
        v.first = first;
        v.xDivMs = xDiv;
        v.yDiv = yDiv;
        return v;
    }
};

Style style() { return {QColor(240, 240, 240), QFont()}; }

QImage plotImage() { return QImage(PlotWidth, PlotHeight, QImage::Format_RGB32); }
QImage timeStrip() { return QImage(TimeStripWidth, TimeStripHeight, QImage::Format_RGB32); }

} // namespace

class TestGraphPlot : public QObject {
    Q_OBJECT
private slots:
    void init() { resetValueStore(); }

    void samplePositions_data()
    {
        QTest::addColumn<qint32>("value");
        QTest::addColumn<qint32>("scale");
        QTest::addColumn<qint64>("y");
        QTest::newRow("one division up") << 1000 << 1000 << qint64(164);
        QTest::newRow("two and a half down") << -2500 << 1000 << qint64(304);
        QTest::newRow("truncates toward zero") << -10 << 1000 << qint64(204);
        QTest::newRow("largest value, smallest scale") << INT32_MAX << 100 << qint64(204) - qint64(INT32_MAX) * 40 / 100;
        QTest::newRow("smallest value, smallest scale") << INT32_MIN << 100 << qint64(204) - qint64(INT32_MIN) * 40 / 100;
        QTest::newRow("largest scale") << 200000000 << 200000000 << qint64(164);
    }
    void samplePositions()
    {
        QFETCH(qint32, value);
        QFETCH(qint32, scale);
        QFETCH(qint64, y);
        QCOMPARE(sampleY(value, scale), y);
        QCOMPARE(sampleX(INT32_MAX, INT32_MIN, 200), (qint64(INT32_MAX) - INT32_MIN) * 60 / 200);
    }

    void curvePixels()
    {
        Buffer b;
        b.waarde = {};
        b.waarde[0] = 1000;
        b.waarde[1] = 1000;
        b.waarde[2] = -2500;
        b.tijd[0] = 0;
        b.tijd[1] = 500;  // x 30 at 1 s per division
        b.tijd[2] = 1000; // x 60
        QImage plot = plotImage();
        QImage strip = timeStrip();
        drawGraph(plot, strip, b.view(2, 0, 1000, 1000), style());
        QCOMPARE(plot.pixelColor(15, 164), Blue);
        QCOMPARE(plot.pixelColor(30, 164), Blue);
        QCOMPARE(plot.pixelColor(60, 304), Blue);
        QCOMPARE(plot.pixelColor(15, 165), QColor(Qt::white));
        QCOMPARE(plot.pixelColor(100, 204), Black); // middle line
        QCOMPARE(plot.pixelColor(0, 100), Black);   // frame
        QCOMPARE(plot.pixelColor(600, 100), Black);
        QCOMPARE(plot.pixelColor(300, 408), Black);
    }

    void extremeValuesStayInThePlot()
    {
        Buffer b;
        for (int i = 0; i < BufferSize; ++i) {
            b.waarde[std::size_t(i)] = i % 2 ? INT32_MAX : INT32_MIN;
            b.tijd[std::size_t(i)] = i;
        }
        QImage plot = plotImage();
        QImage strip = timeStrip();
        drawGraph(plot, strip, b.view(BufferSize - 1, 0, 200, 100), style());
        // Steep lines through the whole height at the start of the plot.
        QCOMPARE(plot.pixelColor(1, 100), Blue);
        QCOMPARE(plot.pixelColor(1, 300), Blue);
    }

    void curveStopsRightOfThePlot()
    {
        Buffer b;
        for (int i = 0; i < BufferSize; ++i) {
            b.waarde[std::size_t(i)] = 1000;
            b.tijd[std::size_t(i)] = i * 100;
        }
        b.waarde[200] = -1000; // x 1200, far right: never drawn
        QImage plot = plotImage();
        QImage strip = timeStrip();
        drawGraph(plot, strip, b.view(BufferSize - 1, 0, 1000, 1000), style());
        QCOMPARE(plot.pixelColor(599, 164), Blue);
        for (int x = 1; x < 600; ++x) QVERIFY(plot.pixelColor(x, 244) != Blue);
    }

    void timeTicks_data()
    {
        QTest::addColumn<qint32>("t0");
        QTest::addColumn<int>("xDiv");
        QTest::addColumn<int>("firstX");
        QTest::addColumn<QString>("firstLabel");
        QTest::addColumn<int>("count");
        QTest::newRow("from zero") << 0 << 1000 << 0 << "0,0" << 11;
        QTest::newRow("from 2500 ms at 1 s") << 2500 << 1000 << 30 << "3,0" << 10;
        QTest::newRow("on a division") << 2000 << 1000 << 60 << "3,0" << 10;
        QTest::newRow("200 ms") << 130 << 200 << 21 << "0,2" << 10;
        QTest::newRow("10 s late in a long log") << 2000000000 << 10000 << 60 << "2000010,0" << 10;
    }
    void timeTicks()
    {
        QFETCH(qint32, t0);
        QFETCH(int, xDiv);
        QFETCH(int, firstX);
        QFETCH(QString, firstLabel);
        QFETCH(int, count);
        const QList<Tick> ticks = graph::timeTicks(t0, xDiv);
        QCOMPARE(ticks.size(), count);
        QCOMPARE(ticks.first().x, firstX);
        QCOMPARE(ticks.first().label, firstLabel);
        QCOMPARE(ticks.at(1).x, firstX + 60);
    }

    void timeStripTickPixels()
    {
        Buffer b;
        b.tijd[3] = 2500;
        QImage plot = plotImage();
        QImage strip = timeStrip();
        View v = b.view(5, 3, 1000, 1000);
        v.xHulplijn = true;
        drawGraph(plot, strip, v, style());
        QCOMPARE(strip.pixelColor(50, 0), Black); // tick at plot x 30
        QCOMPARE(strip.pixelColor(50, 9), Black);
        QCOMPARE(strip.pixelColor(51, 5), style().face);
        QCOMPARE(plot.pixelColor(30, 1), Black); // dotted guide starts at the top
        QCOMPARE(plot.pixelColor(31, 1), QColor(Qt::white));
    }

    // The design's view must stay pixel for pixel what it was before zoom, cursors
    // and a second channel were added; the digests were taken from that drawing.
    void defaultViewUnchanged_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("xDiv");
        QTest::addColumn<qint32>("yDiv");
        QTest::addColumn<bool>("guides");
        QTest::addColumn<QByteArray>("digest");
        QTest::newRow("from 0, 1 s, guides") << 0 << 1000 << qint32(50000) << true << QByteArray("46a5bb67990c10b609eaae24071bbe51");
        QTest::newRow("mid-buffer, 200 ms") << 1700 << 200 << qint32(20000) << false << QByteArray("bcad0725f7f6125de09c586ad29e7eff");
        QTest::newRow("clipped, 10 s") << 10 << 10000 << qint32(100) << true << QByteArray("096a9a1e61e33b3a8966c7b4c9b538b5");
    }
    void defaultViewUnchanged()
    {
        QFETCH(int, first);
        QFETCH(int, xDiv);
        QFETCH(qint32, yDiv);
        QFETCH(bool, guides);
        QFETCH(QByteArray, digest);
        Buffer b;
        for (int i = 0; i < BufferSize; ++i) {
            b.tijd[std::size_t(i)] = i * 7 + (i % 3);
            b.waarde[std::size_t(i)] = qint32(150000 * std::sin(i / 40.0)) + (i % 7) * 900;
        }
        QImage plot = plotImage();
        QImage strip = timeStrip();
        View v = b.view(LastIndex, first, xDiv, yDiv);
        v.xHulplijn = v.yHulplijn = guides;
        drawGraph(plot, strip, v, style());
        QCryptographicHash h(QCryptographicHash::Md5);
        h.addData(QByteArrayView(reinterpret_cast<const char*>(plot.constBits()), plot.sizeInBytes()));
        const QByteArray got = h.result().toHex();
        if (got != digest)
            qWarning("digest %s", got.constData());
        QCOMPARE(got, digest);
    }

    void autoScale_data()
    {
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<qint32>("scale");
        QTest::newRow("flat zero") << QList<int>{0, 0, 0} << qint32(100);
        QTest::newRow("all equal, exactly five divisions") << QList<int>{1000, 1000} << qint32(200);
        QTest::newRow("just over") << QList<int>{1001} << qint32(500);
        QTest::newRow("negative peak decides") << QList<int>{300, -2600, 100} << qint32(1000);
        QTest::newRow("uneven list: 40000 before 50000") << QList<int>{150000} << qint32(40000);
        QTest::newRow("beyond the largest scale") << QList<int>{INT32_MIN} << qint32(200000000);
    }
    void autoScale()
    {
        QFETCH(QList<int>, values);
        QFETCH(qint32, scale);
        std::array<qint32, BufferSize> w{};
        for (int i = 0; i < values.size(); ++i) w[std::size_t(i)] = values[i];
        w[std::size_t(values.size())] = INT32_MAX; // outside the range: not looked at
        QCOMPARE(YDivValues[std::size_t(autoScaleItem(w.data(), 0, int(values.size()) - 1))], scale);
    }

    // Zooming keeps what is under the mouse where it is; a rectangle fills the plot;
    // panning there and back returns the same view.
    void zoomKeepsThePointUnderTheCursor()
    {
        Buffer b;
        b.tijd[40] = 12345;
        const Zoom z = zoomFromView(b.view(100, 40, 1000, 5000));
        QCOMPARE(timeAt(z, 0), 12345.0);
        QCOMPARE(valueAt(z, MiddleY - YDivPixels), 5000.0);
        for (double x : {0.0, 17.0, 300.5, 600.0})
            for (double f : {0.5, 1.25, 8.0}) {
                QVERIFY(qFuzzyCompare(timeAt(zoomTime(z, x, f), x), timeAt(z, x)));
                QVERIFY(qFuzzyCompare(1 + valueAt(zoomValue(z, x / 2, f), x / 2), 1 + valueAt(z, x / 2)));
            }
        const QRect r(100, 50, 200, 100);
        const Zoom in = zoomToRect(z, r);
        QVERIFY(qFuzzyCompare(timeAt(in, 0), timeAt(z, 100)));
        QVERIFY(qFuzzyCompare(timeAt(in, PlotWidth), timeAt(z, 300)));
        QVERIFY(qFuzzyCompare(valueAt(in, 0), valueAt(z, 50)));
        QVERIFY(qFuzzyCompare(valueAt(in, PlotHeight), valueAt(z, 150)));
        const Zoom back = pan(pan(z, 37, -12), -37, 12);
        QVERIFY(qFuzzyCompare(back.t0, z.t0) && qFuzzyCompare(1 + back.vMid, 1 + z.vMid));
    }

    void nearestSampleAndUnits()
    {
        const qint32 t[] = {0, 10, 20, 20, 45};
        QCOMPARE(nearestSample(t, 4, -5), 0);
        QCOMPARE(nearestSample(t, 4, 14), 1);
        QCOMPARE(nearestSample(t, 4, 16), 2);
        QCOMPARE(nearestSample(t, 4, 32), 3);
        QCOMPARE(nearestSample(t, 4, 33), 4);
        QCOMPARE(nearestSample(t, 4, 1000), 4);
        // Values in units read back to the raw values, for every source and decimals.
        for (int decimals : {0, 2, 8}) {
            ParWaarden[203] = decimals;
            for (int source = 0; source < SourceCount; ++source)
                for (qint32 raw : {0, 1, -1, 20, -1234567, 99999999, -99999999}) {
                    qint32 back = 0;
                    const QString text = scaledText(source, raw);
                    QVERIFY2(scaledValue(source, text, &back), qPrintable(text));
                    QCOMPARE(back, raw);
                }
        }
        ParWaarden[203] = 2;
        QCOMPARE(scaledText(0, -1234), QString("-12,34"));
        QCOMPARE(scaledText(5, 20000), QString("2,0000"));
        QCOMPARE(scaledText(3, -7), QString("-0,07")); // the second axis in the same units
    }

    void valueAxisLabels_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<qint32>("scale");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QString>("unit");
        QTest::newRow("current") << 6 << 40000 << 0
                                 << QStringList{"20", "16", "12", "8", "4", "0", "-4", "-8", "-12", "-16", "-20"} << "(mA)";
        QTest::newRow("voltage") << 5 << 20000 << 0
                                 << QStringList{"10", "8", "6", "4", "2", "0", "-2", "-4", "-6", "-8", "-10"} << "(V)";
        QTest::newRow("position with decimals") << 0 << 1000 << 2
                                                << QStringList{"50,00", "40,00", "30,00", "20,00", "10,00", "0", "-10,00", "-20,00", "-30,00", "-40,00", "-50,00"}
                                                << "(AWE)";
        QTest::newRow("position 2 in units") << 2 << 200000000 << 2
                                             << QStringList{"10000000,00", "8000000,00", "6000000,00", "4000000,00", "2000000,00", "0",
                                                            "-2000000,00", "-4000000,00", "-6000000,00", "-8000000,00", "-10000000,00"}
                                             << "(AWE)";
    }
    void valueAxisLabels()
    {
        QFETCH(int, source);
        QFETCH(qint32, scale);
        QFETCH(int, decimals);
        QFETCH(QStringList, labels);
        QFETCH(QString, unit);
        ParWaarden[203] = decimals;
        QCOMPARE(graph::valueAxisLabels(source, scale), labels);
        QCOMPARE(unitText(source), unit);
    }
};

QTEST_MAIN(TestGraphPlot)
#include "tst_graphplot.moc"
