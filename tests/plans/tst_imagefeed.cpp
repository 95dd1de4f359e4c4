// The controller image as the runners feed it: what each exchange proves lands in the
// image of the unit the bus has selected, and nothing a document does reaches it.
#include "params/Compare.h"
#include "params/ControllerImage.h"
#include "plans/ImageFeed.h"

#include <QtTest>

using namespace vx;
using namespace vx::plans;
using transfer::Item;

namespace {

const QString Port = QStringLiteral("COM1");

// "rp 20 9" -> the request "rp 20" answered by "rp 20 9\r\n"; "rp 20 !lost" -> no reply;
// "wp 20 1500 !garbled" -> a cut reply; "wp 20 1500 =er 7" -> that reply.
void exchange(const QString& line)
{
    QString request = line;
    QByteArray reply;
    Outcome o;
    if (line.endsWith(QLatin1String(" !lost"))) {
        request.chop(6);
        o = Outcome::failure(CommTimeout);
    } else if (line.endsWith(QLatin1String(" !garbled"))) {
        request.chop(9);
        o = Outcome::replied(request, request.toLatin1().left(4));
    } else if (const qsizetype eq = line.indexOf(QLatin1String(" =")); eq > 0) {
        request = line.left(eq);
        o = Outcome::replied(request, line.mid(eq + 2).toLatin1() + "\r\n");
    } else {
        // A read's request has one argument fewer than its reply.
        const QStringList parts = line.split(u' ');
        const bool read = parts[0] == QLatin1String("rp") || parts[0] == QLatin1String("rs");
        if (read)
            request = parts.mid(0, 2).join(u' ');
        else if (parts[0] == QLatin1String("rt"))
            request = parts[0];
        o = Outcome::replied(request, line.toLatin1() + "\r\n");
    }
    Request r;
    r.text = request;
    feedImage(Port, r, o);
}

} // namespace

class TestImageFeed : public QObject {
    Q_OBJECT
private slots:
    void init() { images::reset(); }

    void exchangesLandInTheSelectedUnit_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("number"); // parameter; negative: setpoint -n
        QTest::addColumn<int>("how");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("pendingBp");
        const int never = int(KnownHow::Never), read = int(KnownHow::Read), conf = int(KnownHow::Confirmed),
                  back = int(KnownHow::ReadBack), unsure = int(KnownHow::Unsure);
        QTest::newRow("read") << QStringList{"sc 3", "rp 203 2"} << 3 << 203 << read << 2 << false;
        QTest::newRow("nothing without a select") << QStringList{"rp 203 2"} << 3 << 203 << never << 0 << false;
        QTest::newRow("select lost: nobody knows who listens") << QStringList{"sc 3", "sc 5 !lost", "rp 203 2"} << 3 << 203 << never << 0 << false;
        QTest::newRow("other unit") << QStringList{"sc 3", "sc 5", "rp 203 2"} << 3 << 203 << never << 0 << false;
        QTest::newRow("setpoint read") << QStringList{"sc 0", "rs 5 12000"} << 0 << -5 << read << 12000 << false;
        QTest::newRow("confirmed write waits for bp") << QStringList{"sc 0", "wp 20 1500"} << 0 << 20 << conf << 1500 << true;
        QTest::newRow("bp loads it") << QStringList{"sc 0", "wp 20 1500", "bp -1"} << 0 << 20 << conf << 1500 << false;
        QTest::newRow("bp refused loads nothing") << QStringList{"sc 0", "wp 20 1500", "bp =bp 3"} << 0 << 20 << conf << 1500 << true;
        QTest::newRow("lost reply: unknown") << QStringList{"sc 0", "rp 20 9", "wp 20 1500 !lost"} << 0 << 20 << unsure << 1500 << true;
        QTest::newRow("garbled echo: unknown") << QStringList{"sc 0", "wp 20 1500 !garbled"} << 0 << 20 << unsure << 1500 << true;
        QTest::newRow("repeat confirmed") << QStringList{"sc 0", "wp 20 1500 !lost", "wp 20 1500"} << 0 << 20 << conf << 1500 << true;
        QTest::newRow("refused keeps the old") << QStringList{"sc 0", "rp 20 9", "wp 20 1500 =er 7"} << 0 << 20 << read << 9 << false;
        QTest::newRow("unknown read again") << QStringList{"sc 0", "wp 20 1500 !lost", "rp 20 9"} << 0 << 20 << read << 9 << true;
        QTest::newRow("read back equal") << QStringList{"sc 0", "wp 20 1500", "rp 20 1500"} << 0 << 20 << back << 1500 << true;
        QTest::newRow("another controller forgets") << QStringList{"sc 0", "rt VX50 A", "rp 20 9", "rt VX51 B"} << 0 << 20 << never << 0 << false;
        QTest::newRow("same controller keeps") << QStringList{"sc 0", "rt VX50 A", "rp 20 9", "rt VX50 A"} << 0 << 20 << read << 9 << false;
    }
    void exchangesLandInTheSelectedUnit()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, unit);
        QFETCH(int, number);
        QFETCH(int, how);
        QFETCH(int, value);
        QFETCH(bool, pendingBp);
        for (const QString& l : lines)
            exchange(l);
        const ControllerImage& image = images::of(Port, unit);
        const KnownValue& v = number < 0 ? image.value(Item::Setpoint, -number) : image.value(Item::Parameter, number);
        QCOMPARE(int(v.how), how);
        if (how != int(KnownHow::Never))
            QCOMPARE(v.value, value);
        QCOMPARE(image.writtenSinceCompute(), pendingBp);
    }

    // What the write question and the editors ask of the image.
    void countsAgainstADocument()
    {
        ControllerImage image;
        compare::ValueSet doc;
        doc.hasParameters = true;
        QVERIFY(!image.holdsAll({true, false}));
        QCOMPARE(image.differing(doc), ParCount); // nothing known: everything may differ
        const QDateTime t0 = QDateTime::currentDateTime().addSecs(-60);
        for (int n = 0; n < ParCount; ++n)
            image.read(Item::Parameter, n, 0, t0);
        QVERIFY(image.holdsAll({true, false}));
        QCOMPARE(image.differing(doc), 0);
        doc.par[203] = 3;
        doc.par[20] = 7;
        QCOMPARE(image.differing(doc), 2);
        // Written after the document was taken, and not what it holds: it is older.
        QCOMPARE(image.newerThan(doc, t0.addSecs(1)), 0);
        image.confirmed(Item::Parameter, 100, 5, t0.addSecs(30));
        QCOMPARE(image.newerThan(doc, t0.addSecs(1)), 1);
        doc.par[100] = 5;
        QCOMPARE(image.newerThan(doc, t0.addSecs(1)), 0);
        QCOMPARE(image.decimals(), std::optional<int>(0));
    }

    void setpointsKeepWhatIsSeen_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("expected"); // 0: refused
        QTest::newRow("more decimals") << 2 << 3 << 12000 << 120000;
        QTest::newRow("fewer, exact") << 3 << 2 << 120000 << 12000;
        QTest::newRow("fewer, a digit lost") << 3 << 2 << 120001 << 0;
        QTest::newRow("out of range") << 0 << 2 << 9999999 << 0;
        QTest::newRow("negative") << 1 << 2 << -45 << -450;
    }
    void setpointsKeepWhatIsSeen()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, value);
        QFETCH(int, expected);
        TSollWaarden v;
        v[1] = 100;
        v[7] = value;
        const TSollWaarden before = v;
        const int bad = rescaleSetpoints(v, from, to, -9999999, 99999999);
        if (expected == 0) {
            QCOMPARE(bad, 7);
            QVERIFY(v == before);
        } else {
            QCOMPARE(bad, 0);
            QCOMPARE(v.value(7), expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestImageFeed)
#include "tst_imagefeed.moc"
