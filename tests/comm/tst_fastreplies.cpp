// Replies that end at their line end, against the simulated controller served on a
// pseudo-terminal: what the component receives must be what the pause rule gives,
// and whatever follows a line end must stay out of the next reply.
#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "support/SimOnPty.h"

#include <QEventLoop>
#include <QTimer>
#include <QtTest>

using namespace vx;

namespace {

struct Reply {
    QByteArray bytes;
    uint32_t code = 0xFFFF; // not answered
};

} // namespace

class TestFastReplies : public QObject {
    Q_OBJECT

    test::SimOnPty m_sim;
    sim::SimBus& m_bus = m_sim.bus;
    TSXComm* m_port = nullptr;
    TPX400Protocol* m_comp = nullptr;
    QByteArray m_rt; // the "rt" reply under the pause rule

    Reply ask(const QString& text)
    {
        Reply r;
        QEventLoop loop;
        m_comp->OnCommResult = [&](TSXProtocolComponent*, const QByteArray& b) {
            r = {b, 0};
            loop.quit();
        };
        m_comp->OnCommError = [&](TSXProtocolComponent*, const TCommError& e, const QByteArray& b) {
            r = {b, e.Code};
            loop.quit();
        };
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        m_comp->setASCIIProtocol(text);
        m_comp->Send();
        loop.exec();
        return r;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_sim.start());
        m_port = m_sim.port.get();
        m_comp = new TPX400Protocol(this);
        m_comp->setProtocolFoot(TSequenceChar::scCR);
        m_comp->setSXComm(m_port);
        m_rt = ask("rt").bytes;
        QVERIFY(m_rt.startsWith("rt ") && m_rt.endsWith("\r\n"));
    }

    // The component goes before the port that it is bound to.
    void cleanupTestCase() { delete m_comp; }

    void init()
    {
        m_bus.clearFaults();
        m_port->resetFastReplies();
        m_comp->setEndAtLineEnd(true);
    }

    void replyDeliveredWhole_data()
    {
        QTest::addColumn<int>("fault"); // -1: none
        QTest::addColumn<bool>("fast");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray body = m_rt.chopped(2);
        QTest::newRow("CR LF, fast") << -1 << true << m_rt;
        QTest::newRow("LF CR, fast") << int(sim::Fault::Kind::LfCr) << true << body + "\n\r";
        QTest::newRow("LF CR, classic") << int(sim::Fault::Kind::LfCr) << false << body + "\n\r";
        // Without a line end the pause still ends it, without an error.
        QTest::newRow("no line end, fast") << int(sim::Fault::Kind::NoLineEnd) << true << body;
        // The pause rule takes the extra line as part of the reply; a line end does not.
        QTest::newRow("extra line, classic") << int(sim::Fault::Kind::ExtraLine) << false << m_rt + "xx 0\r\n";
        QTest::newRow("extra line, fast") << int(sim::Fault::Kind::ExtraLine) << true << m_rt;
    }

    void replyDeliveredWhole()
    {
        QFETCH(int, fault);
        QFETCH(bool, fast);
        QFETCH(QByteArray, expected);
        m_comp->setEndAtLineEnd(fast);
        if (fault >= 0) {
            sim::Fault f;
            f.kind = sim::Fault::Kind(fault);
            f.command = "rt";
            f.nth = 1;
            m_bus.addFault(f);
        }
        const Reply r = ask("rt");
        QCOMPARE(r.code, 0u);
        QCOMPARE(r.bytes, expected);
        // Nothing left over reaches the next request's reply.
        const Reply next = ask("rt");
        QCOMPARE(next.bytes, m_rt);
        QVERIFY(!m_port->FastRepliesOff());
    }

    void fallsBackAfterRepeatedLeftovers()
    {
        int told = 0;
        m_port->OnFastRepliesOff = [&](TSXComm*) { ++told; };
        m_bus.addFault(sim::Fault::extraLineAfter("rt"));
        // A leftover counts only when it is already on the line at the next request,
        // so the switch may take a few more than the limit.
        QList<QByteArray> replies;
        while (!m_port->FastRepliesOff() && replies.size() < 30)
            replies << ask("rt").bytes;
        QVERIFY(m_port->FastRepliesOff());
        for (const QByteArray& r : replies)
            QCOMPARE(r, m_rt);
        // From now on the pause rule gives the extra line with the reply, as the
        // classic mode always did; and the switch is told once.
        for (int i = 0; i < 3; ++i)
            QCOMPARE(ask("rt").bytes, m_rt + "xx 0\r\n");
        m_port->OnFastRepliesOff = nullptr;
        QCOMPARE(told, 1);
    }

    // A whole line that comes before the echo (left over from an earlier reply, late
    // on the line) is not the reply; a refusal without the echo still is.
    void lineBeforeTheEchoIsDropped()
    {
        m_bus.addFault(sim::Fault::garbageBefore("rt", "xx 0\r\n"));
        QCOMPARE(ask("rt").bytes, m_rt);
        m_bus.clearFaults();
        const Reply refused = ask("zz");
        QCOMPARE(refused.code, 0u);
        QVERIFY2(refused.bytes.startsWith("er ") && refused.bytes.endsWith("\r\n"), refused.bytes.constData());
        QCOMPARE(ask("rt").bytes, m_rt);
    }

    // A request asked over and over is read at the pace of its last reply; one that is
    // shorter, longer, quicker or slower than the last still comes whole and alone.
    void repeatedRequestWhoseReplyChanges()
    {
        const double latency = m_bus.latencyMs();
        struct Step {
            const char* value;
            double latencyMs;
        };
        for (const Step& step : {Step{"12345678", 2}, Step{"5", 2}, Step{"-99999999", 8}, Step{"7", 0.2},
                                 Step{"123456", 4}, Step{"42", 0}}) {
            QCOMPARE(ask(QStringLiteral("ws 1 %1").arg(QLatin1String(step.value))).code, 0u);
            m_bus.setLatencyMs(step.latencyMs);
            for (int i = 0; i < 3; ++i)
                QCOMPARE(ask("rs 1").bytes, QByteArray("rs 1 ") + step.value + "\r\n");
            m_bus.setLatencyMs(latency);
        }
        QVERIFY(!m_port->FastRepliesOff());
    }

    void fallsBackAfterRepliesWithoutLineEnd()
    {
        m_bus.addFault(sim::Fault::noLineEnd("rt"));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(ask("rt").bytes, m_rt.chopped(2));
        QVERIFY(m_port->FastRepliesOff());
    }
};

QTEST_MAIN(TestFastReplies)
#include "tst_fastreplies.moc"
