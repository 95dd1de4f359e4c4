// Scaled-number texts: the comma separator, the sentinels and the nine-character rule.
#include "params/FixedPoint.h"
#include "params/ValueStore.h"

#include <QtTest>
#include <climits>

using namespace vx;

class TestFixedPoint : public QObject {
    Q_OBJECT
private slots:
    void toText_data()
    {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("small") << 2 << 5 << "0,05";
        QTest::newRow("negative") << 2 << -1234 << "-12,34";
        QTest::newRow("three") << 3 << 1000 << "1,000";
        QTest::newRow("none") << 0 << 7 << "7";
        QTest::newRow("negative fraction") << 1 << -3 << "-0,3";
        QTest::newRow("zero") << 2 << 0 << "0,00";
        QTest::newRow("minus five") << 2 << -5 << "-0,05";
        QTest::newRow("negative decimals") << -1 << 42 << "42";
        QTest::newRow("int min keeps digits") << 2 << INT_MIN << "-21474836,48";
    }
    void toText()
    {
        QFETCH(int, decimals);
        QFETCH(int, value);
        QFETCH(QString, text);
        QCOMPARE(FixedToText(decimals, value), text);
    }

    void nineMeansParameter203()
    {
        resetValueStore();
        QCOMPARE(FixedToText(9, 12345), QString("12345"));
        ParWaarden[203] = 3;
        QCOMPARE(FixedToText(9, 12345), QString("12,345"));
        resetValueStore();
    }

    void fromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<bool>("negative");
        QTest::addColumn<int>("result");
        const int bad = FixedMalformed, out = FixedOutOfRange;
        QTest::newRow("too many decimals") << "12,345" << 2 << true << bad;
        QTest::newRow("padded") << "12,3" << 2 << true << 1230;
        QTest::newRow("comma without decimals") << "1,5" << 0 << true << bad;
        QTest::newRow("integer") << "15" << 0 << true << 15;
        QTest::newRow("minus not allowed") << "-5" << 0 << false << bad;
        QTest::newRow("minus behind") << "5-" << 0 << true << bad;
        QTest::newRow("double minus") << "--5" << 0 << true << bad;
        QTest::newRow("ten characters") << "1234567890" << 0 << true << bad;
        QTest::newRow("nine with sign") << "-12345678" << 0 << true << -12345678;
        QTest::newRow("point is no separator") << "1.5" << 1 << true << bad;
        QTest::newRow("blank") << "1 5" << 0 << true << bad;
        QTest::newRow("plus") << "+5" << 0 << true << bad;
        QTest::newRow("empty") << "" << 2 << true << bad;
        QTest::newRow("comma alone") << "," << 2 << true << bad;
        QTest::newRow("minus alone") << "-" << 2 << true << bad;
        QTest::newRow("two commas") << "1,2,3" << 3 << true << bad;
        QTest::newRow("leading comma") << ",5" << 1 << true << 5;
        QTest::newRow("minus comma is zero") << "-," << 1 << true << 0;
        QTest::newRow("five padded") << "5" << 2 << true << 500;
        QTest::newRow("padding makes it long") << "1234567" << 3 << true << bad;
        QTest::newRow("leading zero of negative fraction") << "-0,20000000" << 8 << true << -20000000;
        QTest::newRow("leading zeros carry no digits") << "000000000012" << 0 << true << 12;
        QTest::newRow("huge decimals are capped") << "1" << 2000000000 << true << bad;
        QTest::newRow("lower bound") << "-100" << 0 << true << -100;
        QTest::newRow("below lower") << "-101" << 0 << true << out;
        QTest::newRow("upper bound") << "100" << 0 << true << 100;
        QTest::newRow("above upper") << "101" << 0 << true << out;
    }
    void fromText()
    {
        QFETCH(QString, text);
        QFETCH(int, decimals);
        QFETCH(bool, negative);
        QFETCH(int, result);
        const bool boundsRow = QByteArray(QTest::currentDataTag()).contains("bound") || QByteArray(QTest::currentDataTag()).contains("upper") || QByteArray(QTest::currentDataTag()).contains("lower");
        const int lower = boundsRow ? -100 : -999999999;
        const int upper = boundsRow ? 100 : 999999999;
        QCOMPARE(TextToFixed(text, decimals, negative, lower, upper), result);
    }

    // Whatever FixedToText writes for a value the definitions allow reads back, for
    // every decimals setting.
    void roundTrip()
    {
        resetValueStore();
        ParWaarden[ParDecimalsParameter] = 8;
        const qint32 values[] = {0, 1, -1, 5, -5, 20000000, -20000000, 99999999, -99999999, 999999999, 123456, -7};
        for (int decimals = -1; decimals <= 32; ++decimals)
            for (qint32 v : values) {
                const int read = decimals == 9 ? 8 : decimals; // 9 is parameter 203's count
                QCOMPARE(TextToFixed(FixedToText(decimals, v), read, true, -99999999, 999999999), v);
            }
        resetValueStore();
    }
};

QTEST_MAIN(TestFixedPoint)
#include "tst_fixedpoint.moc"
