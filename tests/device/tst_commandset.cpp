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

    // One row per way a reply can fail to be the answer to its request, and the
    // shapes that must still pass.
    void checkedReplies_data()
    {
        using R = cmd::Refusal;
        QTest::addColumn<QString>("request");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("refusal");
        QTest::addColumn<QString>("value");
        const int L = cmd::ReplyLimit;
        auto row = [](const char* name, const char* rq, const QByteArray& reply, int limit, R why,
                      const char* value) {
            QTest::newRow(name) << QString::fromLatin1(rq) << reply << limit << int(why) << QString::fromLatin1(value);
        };
        row("live value", "r0", "r0 -1234" + kEnd, L, R::None, "-1234");
        row("rp value after its number", "rp 12", "rp 12 -3500" + kEnd, L, R::None, "-3500");
        row("line end either order", "rs 1", "rs 1 12000\n\r", L, R::None, "12000");
        row("32-bit low", "r0", "r0 -2147483648" + kEnd, L, R::None, "-2147483648");
        row("32-bit high", "r0", "r0 2147483647" + kEnd, L, R::None, "2147483647");
        row("cut inside the digits", "rp 12", "rp 12 -350", L, R::Cut, "");
        row("cut before LF", "rp 12", "rp 12 -3500\r", L, R::Cut, "");
        row("cut before CR", "rs 1", "rs 1 12000", L, R::Cut, "");
        row("one byte", "r0", "r", L, R::Cut, "");
        row("nothing", "r0", "", L, R::Cut, "");
        row("over the limit", "ri", "ri " + QByteArray(16, '1') + kEnd, cmd::IoReplyLimit, R::TooLong, "");
        row("at the limit", "ri", "ri " + QByteArray(15, '1') + kEnd, cmd::IoReplyLimit, R::NotANumber, "");
        row("other letters", "rp 12", "rs 12 5" + kEnd, L, R::ForeignLetters, "");
        row("letters run on", "r0", "r05" + kEnd, L, R::ForeignLetters, "");
        row("stale tail in front", "rp 12", "0\r\nrp 12 -3500" + kEnd, L, R::ForeignLetters, "");
        row("n+1 answered", "rs 1", "rs 2 12000" + kEnd, L, R::ForeignArguments, "");
        row("number runs on", "rp 12", "rp 120 5" + kEnd, L, R::ForeignArguments, "");
        row("leading zero", "rp 12", "rp 012 5" + kEnd, L, R::ForeignArguments, "");
        row("write echoes value", "wp 12 -345", "wp 12 -345" + kEnd, L, R::None, "");
        row("write echoes another value", "wp 12 -345", "wp 12 -34" + kEnd, L, R::ForeignArguments, "");
        row("kr", "kr 2042", "kr 2042 -17" + kEnd, L, R::None, "-17");
        row("kr other constant", "kr 2042", "kr 2041 -17" + kEnd, L, R::ForeignArguments, "");
        row("ki answers kf 2", "kf 2", "ki" + kEnd, L, R::None, "");
        row("ki answers no other", "km 1", "ki" + kEnd, L, R::ForeignLetters, "");
        row("er 3 to a read", "rp 12", "er 3" + kEnd, L, R::ControllerError, "");
        row("er 7 to a write", "wp 12 5", "er 7" + kEnd, L, R::ControllerError, "");
        row("er 7 cut", "wp 12 5", "er 7", L, R::Cut, "");
        row("no value", "rp 12", "rp 12" + kEnd, L, R::NotANumber, "");
        row("empty value", "r0", "r0 " + kEnd, L, R::NotANumber, "");
        row("plus sign", "r0", "r0 +5" + kEnd, L, R::NotANumber, "");
        row("leading blank", "r0", "r0  5" + kEnd, L, R::NotANumber, "");
        row("trailing blank", "r0", "r0 5 " + kEnd, L, R::NotANumber, "");
        row("decimal comma", "rp 12", "rp 12 1,5" + kEnd, L, R::NotANumber, "");
        row("hex", "r0", "r0 $10" + kEnd, L, R::NotANumber, "");
        row("over 32 bits", "r0", "r0 2147483648" + kEnd, L, R::NotANumber, "");
        row("under 32 bits", "r0", "r0 -2147483649" + kEnd, L, R::NotANumber, "");
        row("glued second line", "rp 12", "rp 12 -350\r\n0" + kEnd, L, R::NotANumber, "");
        row("rf empty is no error", "rf", "rf" + kEnd, L, R::None, "");
        row("rf -1", "rf", "rf -1" + kEnd, L, R::None, "-1");
        row("rf no number", "rf", "rf x" + kEnd, L, R::NotANumber, "");
        row("type text", "rt", "rt VX51 rev 3" + kEnd, L, R::None, "VX51 rev 3");
        row("type text with control byte", "rt", "rt VX\x01" + kEnd, L, R::Unprintable, "");
        row("bp detail", "bp", "bp 17" + kEnd, L, R::None, "17");
    }
    void checkedReplies()
    {
        QFETCH(QString, request);
        QFETCH(QByteArray, reply);
        QFETCH(int, limit);
        QFETCH(int, refusal);
        QFETCH(QString, value);
        const cmd::CheckedReply r = cmd::checkReply(request, reply, limit);
        QCOMPARE(int(r.refusal), refusal);
        QCOMPARE(r.ok(), refusal == int(cmd::Refusal::None));
        QVERIFY(!refusal || !r.number); // a refused reply never carries a number
        if (r.ok())
            QCOMPARE(r.value, value);
        if (r.ok() && cmd::replyShape(request).value == cmd::ReplyValue::Integer)
            QCOMPARE(QString::number(*r.number), value);
        QVERIFY(!cmd::refusalText(r).isEmpty() || r.ok());
    }

    void controllerErrors()
    {
        const cmd::CheckedReply er7 = cmd::checkReply(u"wp 12 5", "er 7" + kEnd);
        QVERIFY(er7.refusedValue());
        QCOMPARE(er7.errorNumber, 7);
        QVERIFY(!cmd::checkReply(u"wp 12 5", "er 70" + kEnd).refusedValue());
        QCOMPARE(cmd::refusalText(cmd::checkReply(u"rp 1", "er 3" + kEnd)), QString("er 3"));
    }

    void bpReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("detail");
        QTest::newRow("success") << "bp -1" + kEnd << true << true << "";
        QTest::newRow("refused") << "bp 17" + kEnd << true << false << "17";
        QTest::newRow("trailing blank") << "bp -1 " + kEnd << true << false << "-1 ";
        QTest::newRow("controller error") << "er 3" + kEnd << true << false << "er 3";
        QTest::newRow("cut success is unreadable") << QByteArray("bp -1") << false << false << "";
        QTest::newRow("foreign") << "wp 1 2" + kEnd << false << false << "";
        QTest::newRow("too long") << "bp " + QByteArray(98, '1') + kEnd << false << false << "";
    }
    void bpReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, readable);
        QFETCH(bool, accepted);
        QFETCH(QString, detail);
        const cmd::BpResult r = cmd::bpResult(reply);
        QCOMPARE(r.readable, readable);
        QCOMPARE(r.accepted, accepted);
        QCOMPARE(r.detail, detail);
    }

    void probeAndStatus()
    {
        QVERIFY(cmd::isProbeHit("sc 5" + kEnd, 5));
        QVERIFY(!cmd::isProbeHit("sc 05" + kEnd, 5));
        QVERIFY(!cmd::isProbeHit("sc 5 " + kEnd, 5));
        QVERIFY(!cmd::isProbeHit("sc 5" + kEnd, 6));
        QVERIFY(!cmd::isProbeHit(QByteArray("sc 5"), 5));

        QVERIFY(cmd::isNoError(QStringLiteral("-1")));
        QVERIFY(cmd::isNoError(QString()));
        QVERIFY(!cmd::isNoError(QStringLiteral("23")));
        QCOMPARE(cmd::controllerType(QStringLiteral("VX51 rev 3")), QString("VX51"));
    }
};

QTEST_MAIN(TstCommandSet)
#include "tst_commandset.moc"
