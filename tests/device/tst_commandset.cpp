#include "device/CommandSet.h"

#include <QtTest>

using namespace vx;

namespace {
const QByteArray kEnd = "\r\n";
}

class TstCommandSet : public QObject {
    Q_OBJECT

private slots:
    void requestTexts_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("sc") << cmd::selectUnit(5) << "sc 5";
        QTest::newRow("rp") << cmd::readPar(0) << "rp 0";
        QTest::newRow("wp negative") << cmd::writePar(17, -250) << "wp 17 -250";
        QTest::newRow("wp extremes") << cmd::writePar(511, std::numeric_limits<qint32>::min())
                                     << "wp 511 -2147483648";
        QTest::newRow("kr") << cmd::readCalibration(2041) << "kr 2041";
        QTest::newRow("kw") << cmd::writeCalibration(2044, 123) << "kw 2044 123";
        QTest::newRow("km on") << cmd::calibrationMode(true) << "km 1";
        QTest::newRow("ka") << cmd::outputTestValue(-100000) << "ka -100000";
        QTest::newRow("graph source 2") << cmd::liveValueRequest(2) << "r4";
        QTest::newRow("graph source 6") << cmd::liveValueRequest(6) << "r3";
        QTest::newRow("graph source 7") << cmd::liveValueRequest(7) << "";
    }
    void requestTexts()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    void valueCutting_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("live value") << "r0 -1234" + kEnd << 100 << "-1234" << "r0 -1234";
        QTest::newRow("rp keeps number") << "rp 12 -350" + kEnd << 100 << "12 -350" << "rp 12 -350";
        QTest::newRow("six bytes") << QByteArray("rf 7\r\n") << 100 << "7" << "rf 7";
        QTest::newRow("two bytes") << kEnd << 100 << "" << "";
        QTest::newRow("line end not examined") << QByteArray("r0 5xy") << 100 << "5" << "r0 5";
        QTest::newRow("at io limit") << "ri " + QByteArray(15, '1') + kEnd << 20
                                     << QString(15, u'1') << "ri " + QString(15, u'1');
        QTest::newRow("over io limit") << "ri " + QByteArray(16, '1') + kEnd << 20 << "" << "";
        QTest::newRow("over graph limit") << "r0 " + QByteArray(46, '1') + kEnd << 50 << "" << "";
        QTest::newRow("at general limit") << "rt " + QByteArray(95, 'x') + kEnd << 100
                                          << QString(95, u'x') << "rt " + QString(95, u'x');
        QTest::newRow("over general limit") << "rt " + QByteArray(96, 'x') + kEnd << 100 << "" << "";
    }
    void valueCutting()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, limit);
        QFETCH(QString, value);
        QFETCH(QString, text);
        QCOMPARE(cmd::replyValue(reply, limit), value);
        QCOMPARE(cmd::replyText(reply, limit), text);
    }

    void integers_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("negative") << "r0 -1234" + kEnd << true << -1234;
        QTest::newRow("overflow") << "r0 2147483648" + kEnd << false << 0;
        QTest::newRow("hex is not decimal") << "r0 $10" + kEnd << false << 0;
        QTest::newRow("trailing blank") << "r0 12 " + kEnd << false << 0;
        QTest::newRow("garbled") << "r0 1\xff" + kEnd << false << 0;
        QTest::newRow("empty value") << "r0 " + kEnd << false << 0;
    }
    void integers()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const auto v = cmd::replyInteger(reply);
        QCOMPARE(v.has_value(), valid);
        if (valid)
            QCOMPARE(*v, value);
    }

    void ioWords()
    {
        QCOMPARE(cmd::ioWord("ri 5" + kEnd), 5);
        QCOMPARE(cmd::ioWord("ru 65535" + kEnd), 65535);
        QCOMPARE(cmd::ioWord("ri x" + kEnd), 0);
        QCOMPARE(cmd::ioWord("ri " + QByteArray(16, '1') + kEnd), 0);   // too long to read
    }

    void transferValues_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("rp") << "rp 12 -350" + kEnd << true << -350;
        QTest::newRow("rs") << "rs 80 7" + kEnd << true << 7;
        QTest::newRow("number not compared") << "rp 99 1" + kEnd << true << 1;
        QTest::newRow("no value after number") << "rp 12" + kEnd << false << 0;
        QTest::newRow("empty value") << "rp 12 " + kEnd << false << 0;
        QTest::newRow("not an integer") << "rp 12 1,5" + kEnd << false << 0;
        QTest::newRow("too long") << "rp 12 " + QByteArray(93, '1') + kEnd << false << 0;
    }
    void transferValues()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const auto v = cmd::transferValue(reply);
        QCOMPARE(v.has_value(), valid);
        if (valid)
            QCOMPARE(*v, value);
    }

    void writeReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("accepted") << "wp 12 5" + kEnd << false << true;
        QTest::newRow("er 7") << "er 7" + kEnd << true << false;
        QTest::newRow("er 7 bare") << QByteArray("er 7") << true << false;
        QTest::newRow("er 70 is another error") << "er 70" + kEnd << false << false;
    }
    void writeReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, refused);
        QFETCH(bool, accepted);
        QCOMPARE(cmd::isRefused(reply), refused);
        QCOMPARE(cmd::repliesTo(reply, "wp"), accepted);
    }

    void bpReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("detail");
        QTest::newRow("success") << "bp -1" + kEnd << true << "";
        QTest::newRow("refused") << "bp 17" + kEnd << false << "17";
        QTest::newRow("trailing blank") << "bp -1 " + kEnd << false << "-1 ";
        QTest::newRow("other reply") << "er 3" + kEnd << false << "3";
        QTest::newRow("too long") << "bp " + QByteArray(98, '1') << false << "";
    }
    void bpReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, accepted);
        QFETCH(QString, detail);
        const cmd::BpResult r = cmd::bpResult(reply);
        QCOMPARE(r.accepted, accepted);
        QCOMPARE(r.detail, detail);
    }

    void probeAndStatus()
    {
        QVERIFY(cmd::isProbeHit("sc 5" + kEnd, 5));
        QVERIFY(!cmd::isProbeHit("sc 05" + kEnd, 5));
        QVERIFY(!cmd::isProbeHit("sc 5 " + kEnd, 5));
        QVERIFY(!cmd::isProbeHit("sc 5" + kEnd, 6));

        QVERIFY(cmd::isNoError(cmd::replyValue("rf -1" + kEnd)));
        QVERIFY(cmd::isNoError(cmd::replyValue("rf " + kEnd)));
        QVERIFY(!cmd::isNoError(cmd::replyValue("rf 23" + kEnd)));
        QCOMPARE(cmd::controllerType(cmd::replyValue("rt VX51 rev 3" + kEnd)), QString("VX51"));
    }

    void calibrationReplies()
    {
        cmd::ReplyParts p = cmd::splitReply("kr 2042 -17" + kEnd);
        QCOMPARE(p.text, QString("kr 2042 -17"));
        QCOMPARE(p.command, QString("kr"));
        QCOMPARE(p.argument, QString("2042"));
        QCOMPARE(p.value, QString("-17"));

        p = cmd::splitReply("km 1" + kEnd);
        QCOMPARE(p.argument, QString("1"));
        QCOMPARE(p.value, QString("1"));

        p = cmd::splitReply("ks" + kEnd);
        QCOMPARE(p.command, QString("ks"));
        QVERIFY(p.rest.isEmpty() && p.argument.isEmpty() && p.value.isEmpty());
    }
};

QTEST_MAIN(TstCommandSet)
#include "tst_commandset.moc"
